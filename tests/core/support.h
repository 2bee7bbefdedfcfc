#pragma once
// What the standard-library suites share: a scratch directory, one assembly
// rendered as a short text, and the command-line programs run as processes.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/file_io.h"
#include "common/source_text.h"
#include "image/assembly_driver.h"

namespace tovi::test {

namespace fs = std::filesystem;

// A fresh directory per test, removed afterwards.
class Scratch {
public:
    Scratch() {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("tovi-") + test->test_suite_name() + "-" + test->name();
        std::replace(name.begin(), name.end(), '/', '_');
        path_ = fs::temp_directory_path() / name;
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~Scratch() { fs::remove_all(path_); }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

inline void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string fileBytes(const std::string& path) {
    return readFileBytes(path).value_or("<missing>");
}

struct Assembled {
    AssemblyResult result;
    std::vector<std::u16string> status;
};

inline Assembled assembleText(std::u16string_view text, std::u16string_view sourcePath = {},
                              std::uint8_t fill = 0x00) {
    const auto lines = splitLines(text);
    Assembled run;
    Assembler assembler;
    run.result =
        assembler.assemble({lines, sourcePath, {}, fill},
                           [&run](std::u16string_view line) { run.status.emplace_back(line); });
    return run;
}

// A successful run as its listing rows, trimmed and joined by " | "; a failed
// one as its error lines without the summary, each "<line>: <message>".
inline std::u16string outcome(std::u16string_view text) {
    const Assembled run = assembleText(text);
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

struct ProcessRun {
    int exitStatus = -1;
    std::string out;
    std::string err;
};

// Runs a program with the arguments, quoted for the shell, in `directory`.
inline ProcessRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                             const Scratch& directory) {
    const auto quoted = [](const std::string& text) {
        std::string result = "'";
        for (const char c : text) {
            result += c == '\'' ? std::string("'\\''") : std::string(1, c);
        }
        return result + "'";
    };
    std::string command = "cd " + quoted(directory.path().string()) + " && " + quoted(program);
    for (const auto& argument : arguments) {
        command += " " + quoted(argument);
    }
    command += " 2>" + quoted(directory / ".stderr");
    ProcessRun run;
    FILE* pipe = popen(command.c_str(), "r");
    std::array<char, 4096> buffer{};
    for (std::size_t n = 0; (n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) {
        run.out.append(buffer.data(), n);
    }
    const int status = pclose(pipe);
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = fileBytes(directory / ".stderr");
    return run;
}

} // namespace tovi::test
