#include "assembler/source_input.h"

#include <system_error>

#include "common/file_io.h"

namespace tovi {

FileRead readFromDisk(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        return {FileRead::Status::Missing, {}};
    }
    auto bytes = readBytesUpToNul(path);
    if (!bytes) {
        return {FileRead::Status::Unreadable, {}};
    }
    return {FileRead::Status::Read, std::move(*bytes)};
}

} // namespace tovi
