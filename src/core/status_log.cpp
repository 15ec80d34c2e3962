#include "core/status_log.h"

namespace tarvenna {

void StatusLog::AppendStatus(std::string_view text)
{
    text_.append(text);
    if (listener_) listener_(text);
}

} // namespace tarvenna
