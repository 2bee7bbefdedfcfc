#pragma once
// One assembly, as F5 and tovi-asm run it: the passes in their order, the
// ordering by address, the image and the summary line.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "assembler/source_line.h"
#include "common/text.h"
#include "image/object_image.h"

namespace tovi {

inline constexpr std::u16string_view nothingToAssemble = u"Es gibt nichts zu assemblieren.";
inline constexpr std::u16string_view assemblySucceeded = u"Assemblieren ohne Fehler beendet.";
inline constexpr std::u16string_view assemblyFailedSuffix = u" Fehler beim Assemblieren!";

enum class AssemblyOutcome { NothingToAssemble, Failed, Succeeded };

struct AssemblyRequest {
    std::span<const std::u16string> lines; // the source, one entry per editor line
    std::filesystem::path sourcePath;      // names the binary file; empty: none is written
    std::filesystem::path binaryPathOverride;
    std::uint8_t fillByte = 0x00;
    ImageFormat format = ImageFormat::Binary;
};

struct AssemblyResult {
    AssemblyOutcome outcome = AssemblyOutcome::NothingToAssemble;
    int errorCount = 0;
    ObjectImage image; // valid when Succeeded; image.listing is the object-code list
    // When Succeeded with a source path: the binary file written, or empty when writing failed.
    std::optional<std::u16string> binaryPath;
};

// Owns the line table that every assembly reuses.
class Assembler {
public:
    // Runs one assembly. Appends the error lines, the binary file's line and
    // the summary through appendStatus; a text of blanks only appends nothing
    // and gives NothingToAssemble (the caller tells the user).
    AssemblyResult assemble(const AssemblyRequest& request, const StatusSink& appendStatus);

    // The lines of the last assembly, in address order after a successful one.
    const LineTable& lineTable() const { return table_; }

private:
    LineTable table_;
};

} // namespace tovi
