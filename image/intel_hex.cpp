#include "image/intel_hex.h"

#include <algorithm>
#include <optional>

#include "common/text.h"

namespace tovi {
namespace {

constexpr std::size_t bytesPerRecord = 16;
constexpr int dataRecord = 0x00;
constexpr int endRecord = 0x01;

void appendHexByte(std::string& out, unsigned value) {
    static constexpr char digits[] = "0123456789ABCDEF";
    out.push_back(digits[(value >> 4) & 0xF]);
    out.push_back(digits[value & 0xF]);
}

// ":" + count + address + type + data + checksum, which makes the bytes sum to 0.
std::string record(unsigned address, int type, std::span<const std::uint8_t> data) {
    std::string line = ":";
    unsigned sum = static_cast<unsigned>(data.size()) + (address >> 8) + (address & 0xFF) +
                   static_cast<unsigned>(type);
    appendHexByte(line, static_cast<unsigned>(data.size()));
    appendHexByte(line, address >> 8);
    appendHexByte(line, address & 0xFF);
    appendHexByte(line, static_cast<unsigned>(type));
    for (const std::uint8_t byte : data) {
        appendHexByte(line, byte);
        sum += byte;
    }
    appendHexByte(line, (0x100 - (sum & 0xFF)) & 0xFF);
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

// The bytes a record line spells after its ":", or nothing for a malformed line.
std::optional<std::vector<std::uint8_t>> recordBytes(std::string_view line) {
    if (line.size() < 11 || line.front() != ':' || line.size() % 2 == 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 1; i + 1 < line.size(); i += 2) {
        const auto high = hexDigit(line[i]);
        const auto low = hexDigit(line[i + 1]);
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

std::string_view withoutLineEnd(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
        line.remove_suffix(1);
    }
    return line;
}

HexImage refused(int lineNumber, std::u16string_view what) {
    return {{}, u"Zeile " + decimalText(lineNumber) + u": " + std::u16string(what)};
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
    const auto isText = [](char c) { return c == '\r' || c == '\n' || (c >= 0x20 && c < 0x7F); };
    return bytes.starts_with(':') && std::all_of(bytes.begin(), bytes.end(), isText);
}

HexImage fromIntelHex(std::string_view text, int highestAddress) {
    std::vector<int> image(static_cast<std::size_t>(highestAddress) + 1, -1);
    int lineNumber = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = withoutLineEnd(text.substr(start, end - start));
        start = end + 1;
        ++lineNumber;
        if (line.empty()) {
            continue;
        }
        const auto bytes = recordBytes(line);
        if (!bytes) {
            return refused(lineNumber, u"kein gültiger Intel-HEX-Datensatz");
        }
        unsigned sum = 0;
        for (const std::uint8_t byte : *bytes) {
            sum += byte;
        }
        if ((sum & 0xFF) != 0) {
            return refused(lineNumber, u"Prüfsumme falsch");
        }
        const int type = (*bytes)[3];
        if (type == endRecord) {
            const int highest = static_cast<int>(
                std::find_if(image.rbegin(), image.rend(), [](int b) { return b >= 0; }).base() -
                image.begin());
            HexImage result;
            for (int i = 0; i < highest; ++i) {
                const int byte = image[static_cast<std::size_t>(i)];
                result.bytes.push_back(static_cast<std::uint8_t>(byte < 0 ? 0xFF : byte));
            }
            if (result.bytes.empty()) {
                return refused(lineNumber, u"keine Daten vor dem Endedatensatz");
            }
            return result;
        }
        if (type != dataRecord) {
            return refused(lineNumber,
                           u"Datensatztyp " + decimalText(type) + u" wird nicht unterstützt");
        }
        const int address = (*bytes)[1] << 8 | (*bytes)[2];
        const int count = (*bytes)[0];
        if (address + count - 1 > highestAddress) {
            return refused(lineNumber, u"Adresse außerhalb des Programmspeichers");
        }
        for (int i = 0; i < count; ++i) {
            image[static_cast<std::size_t>(address + i)] =
                (*bytes)[static_cast<std::size_t>(4 + i)];
        }
    }
    return refused(lineNumber, u"Endedatensatz fehlt");
}

} // namespace tovi
