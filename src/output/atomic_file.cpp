#include "output/atomic_file.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <thread>

namespace tarvenna {
namespace {

std::filesystem::path TemporaryNameFor(const std::filesystem::path& target)
{
    // Unique enough for concurrent runs into one folder; this is no random draw of the generator.
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    const auto thread = std::hash<std::thread::id>{}(std::this_thread::get_id());
    std::filesystem::path name = target;
    name += ".tmp" + std::to_string(ticks) + "-" + std::to_string(thread % 100000);
    return name;
}

std::string ErrnoText(int error)
{
    return std::generic_category().message(error);
}

} // namespace

std::string WriteFileAtomically(const std::filesystem::path& target, std::string_view content)
{
    const std::filesystem::path temporary = TemporaryNameFor(target);
    std::FILE* file = std::fopen(temporary.string().c_str(), "wb");
    if (file == nullptr) return ErrnoText(errno);

    const std::size_t written = std::fwrite(content.data(), 1, content.size(), file);
    int error = written == content.size() ? 0 : errno;
    if (std::fflush(file) != 0 && error == 0) error = errno;
    if (std::fclose(file) != 0 && error == 0) error = errno;
    if (error == 0 && written != content.size()) error = EIO;
    if (error != 0) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return ErrnoText(error);
    }

    std::error_code renameError;
    std::filesystem::rename(temporary, target, renameError);
    if (renameError) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return renameError.message();
    }
    return {};
}

} // namespace tarvenna
