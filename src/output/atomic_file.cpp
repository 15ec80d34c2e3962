#include "output/atomic_file.h"

#include <chrono>
#include <string>
#include <system_error>

namespace tarvenna {
namespace {

// A name beside the target that no other run is using: the create below is
// exclusive, so a clash only means another try. This is no random draw of
// the generator.
std::filesystem::path TemporaryNameFor(const std::filesystem::path& target, int attempt)
{
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    std::filesystem::path name = target;
    name += ".tmp" + std::to_string(ticks) + "-" + std::to_string(attempt);
    return name;
}

std::error_code CreateTemporary(FileSystem& fs, const std::filesystem::path& target,
                                std::filesystem::path& temporary, FileSystem::Handle& handle)
{
    constexpr int kAttempts = 100;
    std::error_code error;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        temporary = TemporaryNameFor(target, attempt);
        error = fs.CreateNew(temporary, handle);
        if (error != std::errc::file_exists) return error;
    }
    return error;
}

} // namespace

std::string WriteFileAtomically(const std::filesystem::path& target, std::string_view content, FileSystem& fs)
{
    std::filesystem::path temporary;
    FileSystem::Handle handle = 0;
    if (const std::error_code error = CreateTemporary(fs, target, temporary, handle)) return error.message();

    std::error_code error = fs.Write(handle, content);
    if (!error) error = fs.Sync(handle);
    const std::error_code closeError = fs.Close(handle);
    if (!error) error = closeError;
    if (!error) error = fs.Replace(temporary, target);
    if (error) {
        fs.Remove(temporary);
        return error.message();
    }
    return {};
}

} // namespace tarvenna
