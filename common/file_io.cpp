#include "common/file_io.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>
#include <system_error>

namespace tovi {
namespace fs = std::filesystem;

namespace {

constexpr std::size_t chunkSize = 1 << 16;
constexpr int mostLinksFollowed = 40; // as the kernel allows, so a loop of links ends

std::optional<std::ifstream> openRegularFile(const fs::path& path) {
    std::error_code error;
    if (!fs::is_regular_file(path, error)) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return in;
}

// Reads chunks until the end, until `count` bytes are read, or until `stop`
// says the bytes so far suffice.
template <typename Stop>
std::optional<std::string> readChunks(const fs::path& path, std::size_t count, Stop stop) {
    auto in = openRegularFile(path);
    if (!in) {
        return std::nullopt;
    }
    std::string bytes;
    char buffer[chunkSize];
    const auto wanted = [&] {
        return static_cast<std::streamsize>(std::min(sizeof buffer, count - bytes.size()));
    };
    while (bytes.size() < count && (in->read(buffer, wanted()) || in->gcount() > 0)) {
        bytes.append(buffer, static_cast<std::size_t>(in->gcount()));
        if (stop(bytes)) {
            return bytes;
        }
    }
    if (in->bad()) {
        return std::nullopt;
    }
    return bytes;
}

// Follows a chain of symbolic links to the file it ends at, which need not exist.
fs::path finalTarget(fs::path path) {
    std::error_code error;
    for (int hop = 0; hop < mostLinksFollowed && fs::is_symlink(path, error); ++hop) {
        const fs::path next = fs::read_symlink(path, error);
        if (error) {
            break;
        }
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return path;
}

bool isWriteProtected(const fs::path& path) {
    std::error_code error;
    const auto status = fs::status(path, error);
    if (error || !fs::exists(status)) {
        return false;
    }
    const auto writeBits =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return (status.permissions() & writeBits) == fs::perms::none ||
           ::access(path.c_str(), W_OK) != 0;
}

// Opens a file that did not exist before ("x": fails instead of reusing one).
std::FILE* createFreshFile(const fs::path& target, fs::path& created) {
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < 16; ++attempt) {
        fs::path candidate = target;
        candidate += ".tmp" + std::to_string(random() % 1000000);
        if (std::FILE* file = std::fopen(candidate.c_str(), "wbx")) {
            created = candidate;
            return file;
        }
    }
    return nullptr;
}

bool writeAll(std::FILE* file, std::string_view bytes) {
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool flushed = std::fflush(file) == 0;
    const bool closed = std::fclose(file) == 0;
    return written && flushed && closed;
}

} // namespace

std::optional<std::string> readFileStart(const fs::path& path, std::size_t count) {
    return readChunks(path, count, [](const std::string&) { return false; });
}

std::optional<std::string> readFileBytes(const fs::path& path, std::size_t limit) {
    auto bytes = readFileStart(path, limit == std::string::npos ? limit : limit + 1);
    if (bytes && bytes->size() > limit) {
        return std::nullopt;
    }
    return bytes;
}

std::optional<std::string> readBytesUpToNul(const fs::path& path) {
    std::size_t searched = 0;
    auto bytes = readChunks(path, std::string::npos, [&](const std::string& read) {
        const bool found = read.find('\0', searched) != std::string::npos;
        searched = read.size();
        return found;
    });
    if (bytes) {
        bytes->resize(std::min(bytes->size(), bytes->find('\0')));
    }
    return bytes;
}

bool writeFileAtomically(const fs::path& path, std::string_view bytes) {
    const fs::path target = finalTarget(path);
    std::error_code error;
    if (fs::is_directory(target, error) || isWriteProtected(target)) {
        return false;
    }
    fs::path temporary;
    std::FILE* file = createFreshFile(target, temporary);
    if (file == nullptr) {
        return false;
    }
    if (!writeAll(file, bytes)) {
        fs::remove(temporary, error);
        return false;
    }
    const auto existing = fs::status(target, error);
    if (!error && fs::exists(existing)) {
        fs::permissions(temporary, existing.permissions(), error);
    }
    fs::rename(temporary, target, error);
    if (error) {
        fs::remove(temporary, error);
        return false;
    }
    return true;
}

bool isSameFile(const fs::path& a, const fs::path& b) {
    std::error_code error;
    if (fs::exists(a, error) && fs::exists(b, error)) {
        return fs::equivalent(a, b, error) && !error;
    }
    const auto normalised = [](const fs::path& path) -> std::optional<fs::path> {
        std::error_code failed;
        fs::path result = fs::weakly_canonical(fs::absolute(path, failed), failed);
        return failed || path.empty() ? std::nullopt : std::optional(result);
    };
    const auto first = normalised(a);
    return first && first == normalised(b);
}

fs::path toPath(std::u16string_view text) {
    return fs::path(std::u16string(text));
}

} // namespace tovi
