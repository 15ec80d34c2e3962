#pragma once

#include <filesystem>
#include <string>

namespace tarvenna {

// Paths travel through the program as UTF-8 text. A narrow std::string would
// be read in the ANSI code page on Windows, which cannot name every folder.
inline std::filesystem::path PathFromUtf8(const std::string& text)
{
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

inline std::string Utf8FromPath(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace tarvenna
