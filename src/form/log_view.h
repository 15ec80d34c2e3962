#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarvenna {

// The status log as the dialog shows it. A long search appends tens of
// thousands of " ." progress marks, and a text control lays out its whole
// line again on every change, so a long run of marks shows only its first and
// last marks with the count of those between: the shown text stays short
// however long the search. Everything else shows exactly as written.
class LogView {
public:
    // Marks shown at each end of a long run; longer than three times this,
    // a run is shortened.
    static constexpr std::size_t kEndMarks = 20;

    void Append(std::string_view text);
    std::string Shown() const;

private:
    void EndRun();

    std::string settled_;       // shown text before the run of marks at the end
    std::size_t runMarks_ = 0;  // " ." in that run
    bool pendingBlank_ = false; // the text ends in a blank that may begin a mark
};

// `log` as a LogView given all of it shows it.
std::string ShownLog(std::string_view log);

} // namespace tarvenna
