#pragma once
// Helpers shared by the core tests: a scratch directory and a status recorder.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "common/text.h"

namespace tovi::testing {

// A fresh directory per test, removed afterwards.
class ScratchDirectory {
public:
    ScratchDirectory() {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("tovi-") + test->test_suite_name() + "-" + test->name();
        std::replace(name.begin(), name.end(), '/', '_');
        path_ = std::filesystem::temp_directory_path() / name;
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchDirectory() { std::filesystem::remove_all(path_); }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::u16string file(const std::string& name) const { return (path_ / name).u16string(); }

private:
    std::filesystem::path path_;
};

// Collects the status lines an operation appends.
struct StatusRecorder {
    std::vector<std::u16string> lines;
    StatusSink sink() {
        return [this](std::u16string_view line) { lines.emplace_back(line); };
    }
};

} // namespace tovi::testing
