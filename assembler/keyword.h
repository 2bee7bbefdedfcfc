#pragma once
// A word lower-cased on the stack, for looking it up among the language's
// keywords (mnemonics, directives, registers) without an allocation. A word
// longer than any keyword is none.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/text.h"

namespace tovi {

class Keyword {
public:
    explicit Keyword(std::u16string_view word) {
        if (word.size() > letters_.size()) {
            return;
        }
        for (std::size_t i = 0; i < word.size(); ++i) {
            const char16_t c = word[i];
            letters_[i] = c < 0x80 ? (c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 0x20) : c)
                                   : toLowerChar(c);
        }
        size_ = word.size();
    }

    // The word in lower case; empty for one too long to be a keyword.
    std::u16string_view view() const { return {letters_.data(), size_}; }

    // The lower-cased word as one number, eight bits a letter, for quick
    // comparison; 0 for a word of more than eight letters or one outside ASCII.
    std::uint64_t packed() const { return pack(view()); }

    static constexpr std::uint64_t pack(std::u16string_view lower) {
        if (lower.empty() || lower.size() > 8) {
            return 0;
        }
        std::uint64_t value = 0;
        for (const char16_t c : lower) {
            if (c >= 0x80) {
                return 0;
            }
            value = value << 8 | c;
        }
        return value;
    }

private:
    std::array<char16_t, 12> letters_{};
    std::size_t size_ = 0;
};

} // namespace tovi
