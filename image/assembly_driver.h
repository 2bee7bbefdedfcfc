#pragma once
// One assembly, as F5 and tovi-asm run it: the translation stage after stage,
// the image and its binary file, and the summary line.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "assembler/diagnostic.h"
#include "assembler/program.h"
#include "assembler/source_input.h"
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
    // Includes are looked for beside the source (in the current directory
    // when it has no path), then in these folders.
    std::vector<std::filesystem::path> includeFolders = {};
    FileReader read = readFromDisk;
};

struct AssemblyResult {
    AssemblyOutcome outcome = AssemblyOutcome::NothingToAssemble;
    int errorCount = 0;
    ObjectImage image; // valid when Succeeded; image.listing is the object-code list
    // When Succeeded with a source path: the binary file written, or empty when writing failed.
    std::optional<std::u16string> binaryPath;
};

// Where an assembly reports: its errors as data, and every other status line
// (the binary file's line and the summary) as text, in the order they come.
struct AssemblyReport {
    DiagnosticSink diagnostic;
    StatusSink status;
};

// Owns the program of the last assembly.
class Assembler {
public:
    // Runs one assembly. A text of blanks only reports nothing and gives
    // NothingToAssemble (the caller tells the user).
    AssemblyResult assemble(const AssemblyRequest& request, const AssemblyReport& report);
    // The same with every error as its status line ("Zeile: 12 -> Syntaxfehler").
    AssemblyResult assemble(const AssemblyRequest& request, const StatusSink& appendStatus);

    // The program of the last assembly: its statements, symbols and the lines read.
    const Program& program() const { return program_; }

private:
    Program program_;
};

} // namespace tovi
