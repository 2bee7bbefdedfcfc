#pragma once
// What the suites share for files and processes: a scratch directory per test
// and process, whole-file reads and writes, and a program run through the
// shell with its output, error output and exit status.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/file_io.h"

namespace tovi::test {

namespace fs = std::filesystem;

// A fresh directory per test, removed afterwards; the process id keeps two
// builds' tests running at once apart.
class Scratch {
public:
    Scratch() {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name =
            "tovi-" + std::to_string(getpid()) + "-" + test->test_suite_name() + "-" + test->name();
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
    std::array<char, 65536> buffer{};
    for (std::size_t n = 0; (n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) {
        run.out.append(buffer.data(), n);
    }
    const int status = pclose(pipe);
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = fileBytes(directory / ".stderr");
    return run;
}

} // namespace tovi::test
