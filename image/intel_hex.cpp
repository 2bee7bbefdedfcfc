#include "image/intel_hex.h"

#include <algorithm>
#include <optional>

#include "common/hex_text.h"
#include "common/text.h"

namespace tovi {
namespace {

constexpr std::size_t bytesPerRecord = 16;
constexpr int dataRecord = 0x00;
constexpr int endRecord = 0x01;
constexpr int segmentBaseRecord = 0x02; // bits 4–19 of the addresses that follow
constexpr int startSegmentRecord = 0x03;
constexpr int linearBaseRecord = 0x04; // bits 16–31 of the addresses that follow
constexpr int startLinearRecord = 0x05;

// ":" + count + address + type + data + checksum, which makes the bytes sum to 0.
std::string record(unsigned address, int type, std::span<const std::uint8_t> data) {
    std::string line = ":";
    unsigned sum = static_cast<unsigned>(data.size()) + (address >> 8) + (address & 0xFF) +
                   static_cast<unsigned>(type);
    appendHex(line, static_cast<unsigned>(data.size()), 2);
    appendHex(line, address >> 8, 2);
    appendHex(line, address & 0xFF, 2);
    appendHex(line, static_cast<unsigned>(type), 2);
    for (const std::uint8_t byte : data) {
        appendHex(line, byte, 2);
        sum += byte;
    }
    appendHex(line, (0x100 - (sum & 0xFF)) & 0xFF, 2);
    return line + "\r\n";
}

std::optional<int> hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return std::nullopt;
}

// The bytes a record spells after its ":", or nothing for a malformed record.
std::optional<std::vector<std::uint8_t>> recordBytes(std::string_view record) {
    if (record.size() < 11 || record.front() != ':' || record.size() % 2 == 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 1; i + 1 < record.size(); i += 2) {
        const auto high = hexDigit(record[i]);
        const auto low = hexDigit(record[i + 1]);
        if (!high || !low) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<std::uint8_t>(*high << 4 | *low));
    }
    if (bytes.size() != 5u + bytes[0]) {
        return std::nullopt;
    }
    return bytes;
}

constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view whiteSpace = " \t\r\n";
constexpr std::string_view blanks = " \t\r";
// What editors and old tools leave after the end: white space, NUL bytes and
// the DOS end-of-file byte.
constexpr std::string_view trailer = std::string_view(" \t\r\n\0\x1A", 6);

std::string_view withoutByteOrderMark(std::string_view text) {
    return text.starts_with(byteOrderMark) ? text.substr(byteOrderMark.size()) : text;
}

HexImage refused(int lineNumber, std::u16string_view what) {
    return {{}, u"Zeile " + decimalText(lineNumber) + u": " + std::u16string(what)};
}

// Walks the records of a text: one per line, blanks around it.
class RecordCursor {
public:
    explicit RecordCursor(std::string_view text) : text_(withoutByteOrderMark(text)) {}

    // The next record, or an empty view at the end of the text; `line` is its line.
    std::string_view next() {
        skip(whiteSpace);
        // A record goes on to the next white space, NUL or 1AH; one that begins
        // with NUL or 1AH is no record.
        const std::size_t end = std::min(text_.find_first_of(trailer, at_ + 1), text_.size());
        const std::string_view record = text_.substr(at_, end - at_);
        line_ +=
            static_cast<int>(std::count(text_.begin() + static_cast<std::ptrdiff_t>(counted_),
                                        text_.begin() + static_cast<std::ptrdiff_t>(at_), '\n'));
        counted_ = at_;
        at_ = end;
        return record;
    }
    // Whether the record just read stands alone on its line.
    bool recordEndsLine() {
        skip(blanks);
        return at_ == text_.size() || text_[at_] == '\n';
    }
    // Whether nothing but white space, NUL and 1AH follows.
    bool onlyTrailerLeft() const {
        return text_.find_first_not_of(trailer, at_) == std::string_view::npos;
    }
    int line() const { return line_; }

private:
    void skip(std::string_view characters) {
        at_ = std::min(text_.find_first_not_of(characters, at_), text_.size());
    }

    std::string_view text_;
    std::size_t at_ = 0;
    std::size_t counted_ = 0; // line ends are counted up to here
    int line_ = 1;
};

std::vector<std::uint8_t> imageBytes(const std::vector<int>& image) {
    const auto highest = std::find_if(image.rbegin(), image.rend(), [](int b) { return b >= 0; });
    std::vector<std::uint8_t> bytes;
    for (auto byte = image.begin(); byte != highest.base(); ++byte) {
        bytes.push_back(static_cast<std::uint8_t>(*byte < 0 ? 0xFF : *byte));
    }
    return bytes;
}

} // namespace

std::string toIntelHex(std::span<const std::uint8_t> image) {
    std::string text;
    for (std::size_t address = 0; address < image.size(); address += bytesPerRecord) {
        const std::size_t count = std::min(bytesPerRecord, image.size() - address);
        text += record(static_cast<unsigned>(address), dataRecord, image.subspan(address, count));
    }
    return text + record(0, endRecord, {});
}

bool looksLikeIntelHex(std::string_view bytes) {
    const std::string_view text = withoutByteOrderMark(bytes);
    const auto first = text.find_first_not_of(whiteSpace);
    // A raw image may begin with 3AH (OUTL P2,A), but its other bytes are no text.
    const auto isText = [](char c) {
        return (c >= 0x20 && c < 0x7F) || c == '\t' || c == '\r' || c == '\n' || c == '\0' ||
               c == '\x1A';
    };
    return first != std::string_view::npos && text[first] == ':' &&
           std::all_of(text.begin(), text.end(), isText);
}

HexImage fromIntelHex(std::string_view text, int highestAddress) {
    std::vector<int> image(static_cast<std::size_t>(highestAddress) + 1, -1);
    RecordCursor cursor(text);
    int lastLine = 1;
    for (std::string_view record = cursor.next(); !record.empty(); record = cursor.next()) {
        lastLine = cursor.line();
        const auto bytes = recordBytes(record);
        if (!bytes || !cursor.recordEndsLine()) {
            return refused(lastLine, u"kein gültiger Intel-HEX-Datensatz");
        }
        unsigned sum = 0;
        for (const std::uint8_t byte : *bytes) {
            sum += byte;
        }
        if ((sum & 0xFF) != 0) {
            return refused(lastLine, u"Prüfsumme falsch");
        }
        const int count = (*bytes)[0];
        const int type = (*bytes)[3];
        const bool zeroBase = count == 2 && (*bytes)[4] == 0 && (*bytes)[5] == 0;
        if (type == endRecord) {
            if (!cursor.onlyTrailerLeft()) {
                return refused(lastLine, u"Text nach dem Endedatensatz");
            }
            HexImage result{imageBytes(image), {}};
            if (result.bytes.empty()) {
                return refused(lastLine, u"keine Daten vor dem Endedatensatz");
            }
            return result;
        }
        if (type == startSegmentRecord || type == startLinearRecord ||
            ((type == segmentBaseRecord || type == linearBaseRecord) && zeroBase)) {
            continue; // a start address means nothing to an EPROM; a base of 0 changes nothing
        }
        if (type != dataRecord) {
            return refused(lastLine,
                           u"Datensatztyp " + decimalText(type) + u" wird nicht unterstützt");
        }
        const int address = (*bytes)[1] << 8 | (*bytes)[2];
        if (address + count - 1 > highestAddress) {
            return refused(lastLine, u"Adresse außerhalb des Programmspeichers");
        }
        for (int i = 0; i < count; ++i) {
            image[static_cast<std::size_t>(address + i)] =
                (*bytes)[static_cast<std::size_t>(4 + i)];
        }
    }
    return refused(lastLine, u"Endedatensatz fehlt");
}

} // namespace tovi
