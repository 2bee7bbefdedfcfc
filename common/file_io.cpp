#include "common/file_io.h"

#include <cstdio>
#include <fstream>
#include <random>
#include <system_error>

namespace tovi {
namespace fs = std::filesystem;

std::optional<std::string> readFileBytes(const fs::path& path) {
    std::error_code error;
    if (!fs::is_regular_file(path, error)) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string bytes;
    char buffer[1 << 16];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) {
        return std::nullopt;
    }
    return bytes;
}

namespace {

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

bool writeFileAtomically(const fs::path& path, std::string_view bytes) {
    std::error_code error;
    if (fs::is_directory(path, error)) {
        return false;
    }
    fs::path temporary;
    std::FILE* file = createFreshFile(path, temporary);
    if (file == nullptr) {
        return false;
    }
    if (!writeAll(file, bytes)) {
        fs::remove(temporary, error);
        return false;
    }
    const auto existing = fs::status(path, error);
    if (!error && fs::exists(existing)) {
        fs::permissions(temporary, existing.permissions(), error);
    }
    fs::rename(temporary, path, error);
    if (error) {
        fs::remove(temporary, error);
        return false;
    }
    return true;
}

fs::path toPath(std::u16string_view text) {
    return fs::path(std::u16string(text));
}

} // namespace tovi
