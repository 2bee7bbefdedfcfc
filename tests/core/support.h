#pragma once
// What the standard-library suites share: one assembly rendered as a short
// text, besides the files and processes of every suite.

#include <map>
#include <string>
#include <vector>

#include "common/source_text.h"
#include "image/assembly_driver.h"
#include "support/process.h"

namespace tovi::test {

struct Assembled {
    AssemblyResult result;
    std::vector<std::u16string> status;
};

// Files an assembly may include, by the path it asks for ("sub/x.inc"); an
// "inc" folder is searched after the includer's own.
using Files = std::map<std::string, std::string>;

inline Assembled assembleText(std::u16string_view text, std::u16string_view sourcePath = {},
                              std::uint8_t fill = 0x00, const Files& files = {}) {
    const auto lines = splitLines(text);
    Assembled run;
    Assembler assembler;
    AssemblyRequest request{lines, sourcePath, {}, fill};
    request.includeFolders = {"inc"};
    request.read = [&files](const std::filesystem::path& path) {
        const auto file = files.find(path.generic_string());
        return file == files.end() ? FileRead{} : FileRead{FileRead::Status::Read, file->second};
    };
    run.result = assembler.assemble(
        request, [&run](std::u16string_view line) { run.status.emplace_back(line); });
    return run;
}

// A successful run as its listing rows, trimmed and joined by " | "; a failed
// one as its error lines without the summary, each "<line>: <message>".
inline std::u16string outcome(std::u16string_view text, const Files& files = {}) {
    const Assembled run = assembleText(text, {}, 0x00, files);
    std::u16string shown;
    const auto add = [&shown](std::u16string_view part) {
        shown += (shown.empty() ? u"" : u" | ") + std::u16string(part);
    };
    if (run.result.outcome == AssemblyOutcome::Succeeded) {
        for (std::size_t i = 1; i < run.result.image.listing.size(); ++i) {
            add(trimBlanks(run.result.image.listing[i]));
        }
        return shown;
    }
    for (std::size_t i = 0; i + 1 < run.status.size(); ++i) {
        std::u16string line = run.status[i].substr(std::u16string_view(u"Zeile: ").size());
        line.replace(line.find(u" -> "), 4, u": ");
        add(line);
    }
    return shown;
}

} // namespace tovi::test
