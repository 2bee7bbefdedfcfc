#pragma once
// Writes settings files as Tovi writes them: UTF-8 with a byte-order mark,
// every line ending in CR LF, "[group]" lines and "key = value" lines.

#include <cstdint>
#include <string>
#include <string_view>

#include "common/text.h"

namespace tovi {

class IniWriter {
public:
    void group(std::u16string_view name) { line(u"[" + std::u16string(name) + u"]"); }
    void value(std::u16string_view key, std::u16string_view text) {
        line(std::u16string(key) + u" = " + std::u16string(text));
    }
    void number(std::u16string_view key, std::int64_t number) { value(key, decimalText(number)); }
    void line(std::u16string_view text) { bytes_ += toUtf8(text) + "\r\n"; }
    const std::string& bytes() const { return bytes_; }

private:
    std::string bytes_ = "\xEF\xBB\xBF";
};

} // namespace tovi
