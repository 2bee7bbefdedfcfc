#pragma once
// Small helpers for the UTF-16 text that flows through Tovi.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tovi {

// Receives one line for the end of the status list.
using StatusSink = std::function<void(std::u16string_view)>;

// Lower-cases ASCII letters and the letters of Windows-1252 (umlauts, accented
// letters, Š, Œ, Ž, Ÿ); every other character stays as it is.
char16_t toLowerChar(char16_t c);
std::u16string toLowerCase(std::u16string_view text);
bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b);

// Removes blanks (character 32, nothing else) at both ends.
std::u16string_view trimBlanks(std::u16string_view text);

std::u16string decimalText(std::int64_t value);

// The digits of `base` (2, 10 or 16, letters in either case) from the start of
// the text; reading stops at the first other character, and no digits read as
// 0. Digits accumulate in 64 bits with wrap-around; the low 32 bits are the
// signed result.
std::int32_t readDigits(std::u16string_view digits, int base);

// The text with every control character but the tab shown as "?", so that
// text from outside (device replies, file names) cannot forge lines or send
// escape sequences to a terminal.
std::u16string withoutControlCharacters(std::u16string_view text);

// Bytes from outside (file names, file content, arguments) as UTF-8 that a
// terminal may show: decoded leniently, control characters as above.
std::string printableText(std::string_view bytes);

// At most `limit` characters of UTF-8 text, with "…" when it had more, so
// that a message quotes a bad line of any length in a few words.
std::string excerpt(std::string_view utf8, std::size_t limit = 80);

// Walks the lines of a text: CR LF, LF and a lone CR each end a line, and n
// line ends give n + 1 lines, so an empty text is one empty line.
class LineCursor {
public:
    explicit LineCursor(std::u16string_view text, std::size_t from = 0)
        : text_(text), next_(from) {}

    // The next line, without its line end; false when there is none left.
    bool next(std::u16string_view& line);
    // Where the line after the one just returned begins.
    std::size_t position() const { return next_; }

private:
    std::u16string_view text_;
    std::size_t next_;
    bool done_ = false;
};

// Plain ASCII literal or UTF-8 text to UTF-16 and back.
std::u16string fromUtf8(std::string_view utf8);
std::string toUtf8(std::u16string_view text);

} // namespace tovi
