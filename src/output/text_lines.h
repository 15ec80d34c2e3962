#pragma once

#include <string>
#include <string_view>

namespace tarvenna {

// Every line of every output file ends with CR LF, the last one included.
inline void AppendLine(std::string& out, std::string_view line = {})
{
    out.append(line);
    out.append("\r\n");
}

inline void AppendLine(std::string& out, int value)
{
    AppendLine(out, std::to_string(value));
}

} // namespace tarvenna
