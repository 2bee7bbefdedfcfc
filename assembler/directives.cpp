#include "assembler/directives.h"

#include <array>
#include <utility>

namespace tovi {
namespace {

// clang-format off
constexpr std::array<std::pair<std::u16string_view, Directive>, 55> directives = {{
    {u"org", Directive::Origin},
    {u"db", Directive::Bytes},        {u"defb", Directive::Bytes},    {u"byte", Directive::Bytes},
    {u"dw", Directive::Words},        {u"defw", Directive::Words},    {u"word", Directive::Words},
    {u"text", Directive::Text},       {u"ascii", Directive::Text},    {u"defm", Directive::Text},
    {u"asciz", Directive::TextWithZero}, {u"asciiz", Directive::TextWithZero},
    {u"ds", Directive::Reserve},      {u"rs", Directive::Reserve},    {u"block", Directive::Reserve},
    {u"defs", Directive::Reserve},    {u"blkb", Directive::Reserve},
    {u"equ", Directive::Equate},
    {u"set", Directive::Set},
    {u"end", Directive::End},
    {u"include", Directive::Include}, {u"$include", Directive::Include},
    {u"#include", Directive::Include},
    {u"if", Directive::If},           {u"ifdef", Directive::IfDefined},
    {u"ifndef", Directive::IfNotDefined},
    {u"elseif", Directive::ElseIf},   {u"else", Directive::Else},     {u"endif", Directive::EndIf},
    {u"macro", Directive::Macro},     {u"endm", Directive::EndMacro},
    {u"cpu", Directive::Ignored},     {u"8048", Directive::Ignored},  {u"8049", Directive::Ignored},
    {u"8039", Directive::Ignored},    {u"8035", Directive::Ignored},  {u"title", Directive::Ignored},
    {u"page", Directive::Ignored},    {u"listing", Directive::Ignored},
    {u"list", Directive::Ignored},    {u"nolist", Directive::Ignored},
    {u"name", Directive::Ignored},    {u"subttl", Directive::Ignored},
    {u"sbttl", Directive::Ignored},   {u"eject", Directive::Ignored}, {u"newpage", Directive::Ignored},
    {u"module", Directive::Ignored},  {u"area", Directive::Ignored},  {u"globl", Directive::Ignored},
    {u"relaxed", Directive::Ignored}, {u"macexp", Directive::Ignored},
    {u"padding", Directive::Ignored}, {u"mod48", Directive::Ignored}, {u"mod49", Directive::Ignored},
}};
// clang-format on

Directive lookUp(std::u16string_view word) {
    for (const auto& [name, directive] : directives) {
        if (name == word) {
            return directive;
        }
    }
    return Directive::None;
}

} // namespace

Directive directiveOf(std::u16string_view lowerWord) {
    if (lowerWord.starts_with(u'.')) {
        lowerWord.remove_prefix(1);
    }
    const Directive directive = lookUp(lowerWord);
    // "$nolist", "$title('…')": the controls of Intel's assembler change no bytes.
    const bool control = lowerWord.size() > 1 && lowerWord[0] == u'$' && lowerWord[1] >= u'a' &&
                         lowerWord[1] <= u'z';
    return directive == Directive::None && control ? Directive::Ignored : directive;
}

bool isConditional(Directive directive) {
    return directive == Directive::If || directive == Directive::IfDefined ||
           directive == Directive::IfNotDefined || directive == Directive::ElseIf ||
           directive == Directive::Else || directive == Directive::EndIf;
}

} // namespace tovi
