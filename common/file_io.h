#pragma once
// Whole-file reads and writes that never leave a half-written file behind.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tovi {

// The whole content of a regular file, or nothing when it cannot be read or
// holds more than `limit` bytes.
std::optional<std::string> readFileBytes(const std::filesystem::path& path,
                                         std::size_t limit = std::string::npos);

// The first `count` bytes of a regular file, or all of it when it is shorter;
// nothing when it cannot be read. Reads no further, however large the file is.
std::optional<std::string> readFileStart(const std::filesystem::path& path, std::size_t count);

// The bytes of a regular file up to its first NUL byte; reading stops there,
// however large the file is.
std::optional<std::string> readBytesUpToNul(const std::filesystem::path& path);

// Writes the bytes to a new file beside the target and renames it over the
// target, so that a failed write leaves an earlier file intact. A symbolic
// link is written through: its final target is replaced, the link stays. A
// target that exists but is write-protected (the user may not write it, or
// it has no write permission at all) is not replaced. A replaced file's
// permissions carry over. Returns false when nothing was written.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// Whether two paths name the same file, however they are spelled: existing
// files by identity (links included), others by their normalised absolute
// path, so that two names of a file yet to be written count as one.
bool isSameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// A path given as UTF-16 text, for the file system.
std::filesystem::path toPath(std::u16string_view text);

} // namespace tovi
