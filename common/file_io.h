#pragma once
// Whole-file reads and writes that never leave a half-written file behind.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tovi {

// The whole content of a regular file, or nothing when it cannot be read.
std::optional<std::string> readFileBytes(const std::filesystem::path& path);

// Writes the bytes to a new file beside `path` and renames it over `path`, so
// that a failed write leaves an earlier file of that name intact. A replaced
// file's permissions carry over. Returns false when anything failed.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// A path given as UTF-16 text, for the file system.
std::filesystem::path toPath(std::u16string_view text);

} // namespace tovi
