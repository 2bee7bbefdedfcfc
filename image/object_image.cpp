#include "image/object_image.h"

#include <algorithm>

#include "common/file_io.h"
#include "common/hex_text.h"
#include "image/intel_hex.h"

namespace tovi {
namespace {

void storeByte(ObjectImage& image, std::int64_t address, std::uint8_t value) {
    if (address < 0 || address >= mcs48::imageSize) {
        return; // never outside the image; the assembler rejects such code beforehand
    }
    image.bytes[static_cast<std::size_t>(address)] = value;
    image.occupied.set(static_cast<std::size_t>(address));
}

std::u16string listingRow(int address, std::uint8_t first, const std::uint8_t* second) {
    std::u16string row;
    row.reserve(9);
    appendHex(row, static_cast<unsigned>(address), address > 0xFFF ? 4 : 3);
    row.push_back(u' ');
    appendHex(row, first, 2);
    if (second == nullptr) {
        row.append(u"   ");
        return row;
    }
    row.push_back(u' ');
    appendHex(row, *second, 2);
    return row;
}

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

// Position of the extension's "." or npos when the path has no extension.
std::size_t extensionDot(std::string_view path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || isSeparator(path[dot - 1])) {
        return std::string_view::npos;
    }
    const auto endsName = [](char c) { return c == ' ' || isSeparator(c); };
    return std::ranges::none_of(path.substr(dot + 1), endsName) ? dot : std::string_view::npos;
}

// A path as the user reads it.
std::u16string shown(const std::filesystem::path& path) {
    return fromUtf8(path.native());
}

// The statements with bytes, in address order; where an org steps back over
// earlier code, the later statement comes later and wins in the image.
std::vector<const Statement*> codeInAddressOrder(const Program& program) {
    std::vector<const Statement*> code;
    for (const Statement& statement : program.statements) {
        if (statement.emits) {
            code.push_back(&statement);
        }
    }
    std::ranges::stable_sort(code, {}, &Statement::address);
    return code;
}

} // namespace

ObjectImage buildImage(const Program& program, std::uint8_t fillByte) {
    ObjectImage image;
    image.bytes.fill(fillByte);
    image.listing.emplace_back(listingHeading);
    image.rowLines.push_back(0);
    image.rowAddresses.push_back(-1);
    for (const Statement* statement : codeInAddressOrder(program)) {
        const std::uint8_t* bytes = program.bytes.data() + statement->firstByte;
        const int last = statement->address + statement->size - 1;
        image.highestAddress =
            std::max(image.highestAddress, std::min(last, mcs48::highestImageAddress));
        for (int offset = 0; offset < statement->size; ++offset) {
            storeByte(image, statement->address + offset, bytes[offset]);
        }
        // Rows of at most two bytes, each with its own address.
        for (int offset = 0; offset < statement->size; offset += 2) {
            const bool pair = offset + 1 < statement->size;
            const int address = statement->address + offset;
            image.listing.push_back(
                listingRow(address, bytes[offset], pair ? &bytes[offset + 1] : nullptr));
            image.rowLines.push_back(statement->place.mainLine);
            image.rowAddresses.push_back(address);
        }
    }
    return image;
}

std::filesystem::path binaryPathFor(const std::filesystem::path& sourcePath,
                                    std::string_view extension) {
    const std::string& source = sourcePath.native();
    std::string path = source;
    const std::string suffix = "." + std::string(extension);
    const std::size_t dot = extensionDot(source);
    if (dot == std::string_view::npos) {
        return path + suffix;
    }
    path.replace(dot + 1, std::string::npos, extension);
    if (path == source) {
        path += suffix; // a source named *.bin must not be overwritten by its own image
    }
    return path;
}

BuiltImage buildObjectImage(const Program& program, const ImageTarget& target,
                            const StatusSink& appendStatus) {
    BuiltImage built{buildImage(program, target.fillByte), std::nullopt};
    if (target.sourcePath.empty() && target.binaryPathOverride.empty()) {
        return built;
    }
    const bool hex = target.format == ImageFormat::IntelHex;
    const std::filesystem::path path = target.binaryPathOverride.empty()
                                           ? binaryPathFor(target.sourcePath, hex ? "hex" : "bin")
                                           : target.binaryPathOverride;
    const auto image =
        std::span(built.image.bytes).first(static_cast<std::size_t>(built.image.imageLength()));
    const std::string hexText = hex ? toIntelHex(image) : std::string();
    const std::string_view bytes =
        hex ? std::string_view(hexText)
            : std::string_view(reinterpret_cast<const char*>(image.data()), image.size());
    // However the paths are spelled, the image never replaces its own source.
    const bool isSource = isSameFile(path, target.sourcePath);
    if (isSource || !writeFileAtomically(path, bytes)) {
        appendStatus(u"Fehler beim Speichern der Binärdatei " + shown(path));
        built.binaryPath = std::u16string();
        return built;
    }
    appendStatus(shown(path) + u" (" + decimalText(static_cast<std::int64_t>(bytes.size())) +
                 u" Byte) gespeichert");
    built.binaryPath = shown(path);
    return built;
}

} // namespace tovi
