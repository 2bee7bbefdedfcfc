#pragma once
// The directives of the source language, each accepted with and without a
// leading dot.

#include <string_view>

namespace tovi {

enum class Directive {
    None,
    Origin,       // org
    Bytes,        // db, defb, byte
    Words,        // dw, defw, word
    Text,         // text, ascii
    TextWithZero, // asciz
    Reserve,      // ds, rs, block, defs
    Align,        // align: reserves up to the next multiple
    Equate,       // equ, reg
    Define,       // #define NAME value
    Set,          // set
    End,
    Include,
    If,
    IfDefined,
    IfNotDefined,
    ElseIf,
    Else,
    EndIf,
    Macro,
    EndMacro,
    Local,   // local names: labels of each expansion, as the body's own labels are
    Repeat,  // rept n … endm: the lines between n times
    Ignored, // cpu, .8048, title, page, listing, list, nolist, name: they change no bytes
};

// The directive a word names, in any case; None for any other word. "#if",
// "#else" … are the same as "if", "else".
Directive directiveOf(std::u16string_view word);

// if, ifdef, ifndef, elseif, else and endif: they count even inside skipped text.
bool isConditional(Directive directive);

} // namespace tovi
