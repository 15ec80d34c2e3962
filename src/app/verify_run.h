#pragma once

#include "app/command_line.h"

namespace tarvenna {

inline constexpr int kNotFinishable = 7;

// The command's --verify: reads the item list file, says whether it is a
// finishable game of the line's settings (with a share code: whether it is
// that code's game), and, with --spoiler, writes the spoiler of what it read.
// Returns the exit status.
int RunVerify(const CommandLine& line);

} // namespace tarvenna
