#pragma once
// The words of the source language, as an editor colours them: the mnemonics
// and register operands the instruction table knows, and the directives.

#include <string_view>

namespace tovi {

enum class WordKind { Mnemonic, Directive, Register, Other };

// The kind of a word, compared without regard to case.
WordKind kindOfWord(std::u16string_view word);

} // namespace tovi
