#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tarvenna {

// The growing progress text of one run. Stages append texts unchanged; a text
// ends a line with "\n" itself. A listener sees every append as it happens, so
// a front end can show long runs live.
class StatusLog {
public:
    using Listener = std::function<void(std::string_view)>;

    void AppendStatus(std::string_view text);
    void Clear() { text_.clear(); }
    const std::string& Text() const { return text_; }
    void SetListener(Listener listener) { listener_ = std::move(listener); }

private:
    std::string text_;
    Listener listener_;
};

} // namespace tarvenna
