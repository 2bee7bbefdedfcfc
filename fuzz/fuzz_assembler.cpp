// Feeds arbitrary bytes through the whole assembly and image build, the way a
// source file reaches the assembler: Windows-1252 up to the first NUL, any
// line ends; an include reads the same bytes again.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "assembler/warnings.h"
#include "common/mcs48_memory.h"
#include "common/source_text.h"
#include "image/assembly_driver.h"
#include "image/intel_hex.h"
#include "image/listing_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto lines = tovi::splitLines(tovi::decodeSourceBytes(bytes));
    const std::uint8_t fillByte = size > 0 && (data[0] & 1) ? 0xFF : 0x00;

    std::size_t statusLines = 0;
    const tovi::StatusSink count = [&](std::u16string_view) { ++statusLines; };
    tovi::Assembler assembler;
    // No source path: the image is built in memory only. An include reads the
    // input once more, so includes nest until they refuse to; after 64 reads
    // the files are missing, because a tree of includes that name several
    // files grows to the line limit, slow work the limit already covers.
    tovi::AssemblyRequest request{lines, {}, {}, fillByte};
    int reads = 0;
    request.read = [&bytes, &reads](const std::filesystem::path&) {
        if (++reads > 64) {
            return tovi::FileRead{tovi::FileRead::Status::Missing, {}};
        }
        return tovi::FileRead{tovi::FileRead::Status::Read,
                              std::string(bytes.substr(0, bytes.find('\0')))};
    };
    const auto result = assembler.assemble(request, count);

    if (result.outcome == tovi::AssemblyOutcome::Succeeded) {
        const int length = result.image.imageLength();
        if (length < 1 || length > tovi::mcs48::imageSize || result.image.listing.empty()) {
            std::abort();
        }
        // The image survives Intel HEX both ways; the listing and the warnings never fail.
        const auto image = std::span(result.image.bytes).first(static_cast<std::size_t>(length));
        const auto hex =
            tovi::fromIntelHex(tovi::toIntelHex(image), tovi::mcs48::highestImageAddress);
        if (!std::equal(image.begin(), image.end(), hex.bytes.begin(), hex.bytes.end())) {
            std::abort();
        }
        (void)tovi::fullListing(assembler.program());
        (void)tovi::warningsOf(assembler.program());
    }
    (void)tovi::fromIntelHex(bytes, tovi::mcs48::highestImageAddress);
    if (result.outcome == tovi::AssemblyOutcome::Failed &&
        statusLines != static_cast<std::size_t>(result.errorCount) + 1) {
        std::abort(); // every error is one line, plus the summary
    }
    (void)tovi::binaryPathFor(tovi::toUtf8(lines.front()));
    return 0;
}
