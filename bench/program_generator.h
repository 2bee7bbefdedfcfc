#pragma once
// A generated MCS-48 program that fills the whole 2 KiB program memory: about
// 2,100 source lines with equates, labels, conditional jumps, djnz, calls and
// jumps across pages. The benchmarks assemble it.

#include <string>
#include <vector>

namespace tovi::bench {

std::vector<std::u16string> twoKilobyteProgram();

// The same program as one Windows-1252 file text with CR LF line ends.
std::string twoKilobyteProgramFile();

// A source of 20,000 lines as firmware grows to be: ten included files of
// equates and macros, then code that calls the macros (each with a loop of
// its own), data lists, local labels and conditional assembly. The main
// source's lines, and each included file's name and text.
struct SourceWithIncludes {
    std::vector<std::u16string> lines;
    std::vector<std::pair<std::string, std::string>> files;
};
SourceWithIncludes twentyThousandLines();

} // namespace tovi::bench
