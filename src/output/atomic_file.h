#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "output/file_system.h"

namespace tarvenna {

// Writes `content` to a temporary file beside `target` and renames it over
// the target only once it is complete, so a failure never leaves a partial
// file nor destroys the previous one. Returns an empty string on success,
// otherwise the system's reason.
std::string WriteFileAtomically(const std::filesystem::path& target, std::string_view content,
                                FileSystem& fs = RealFileSystem());

} // namespace tarvenna
