#pragma once
// Where an assembly's source comes from: the main source's lines, and how
// included files are found and read.

#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace tovi {

struct FileRead {
    enum class Status { Read, Missing, Unreadable };
    Status status = Status::Missing;
    std::string bytes; // Windows-1252 up to the first NUL byte
};

using FileReader = std::function<FileRead(const std::filesystem::path&)>;

// Reads a file from the disk.
FileRead readFromDisk(const std::filesystem::path& path);

struct SourceInput {
    std::span<const std::u16string> lines;
    // An include is looked for in the folder of the file that includes it
    // (the main source's: `folder`), then in each of `includeFolders`.
    std::filesystem::path folder;
    std::vector<std::filesystem::path> includeFolders;
    FileReader read = readFromDisk;
};

} // namespace tovi
