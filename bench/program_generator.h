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

} // namespace tovi::bench
