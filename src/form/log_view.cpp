#include "form/log_view.h"

namespace tarvenna {
namespace {

constexpr std::string_view kMark = " .";

std::string RunOfMarks(std::size_t marks)
{
    std::string text;
    const auto add = [&](std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) text += kMark;
    };
    if (marks <= 3 * LogView::kEndMarks) {
        add(marks);
    } else {
        add(LogView::kEndMarks);
        text += " [" + std::to_string(marks - 2 * LogView::kEndMarks) + " more]";
        add(LogView::kEndMarks);
    }
    return text;
}

} // namespace

void LogView::Append(std::string_view text)
{
    for (char c : text) {
        if (pendingBlank_) {
            pendingBlank_ = false;
            if (c == kMark[1]) {
                ++runMarks_;
                continue;
            }
            EndRun();
            settled_ += kMark[0];
        }
        if (c == kMark[0]) {
            pendingBlank_ = true;
        } else {
            EndRun();
            settled_ += c;
        }
    }
}

void LogView::EndRun()
{
    if (runMarks_ == 0) return;
    settled_ += RunOfMarks(runMarks_);
    runMarks_ = 0;
}

std::string LogView::Shown() const
{
    std::string shown = settled_ + RunOfMarks(runMarks_);
    if (pendingBlank_) shown += kMark[0];
    return shown;
}

std::string ShownLog(std::string_view log)
{
    LogView view;
    view.Append(log);
    return view.Shown();
}

} // namespace tarvenna
