#pragma once

#include <string>
#include <vector>

#include "core/generator_state.h"

namespace tarvenna {

// The program's arguments (argv[0] excluded) as UTF-8. On Windows they are
// read in UTF-16 from the system, since argv holds them in the ANSI code
// page, which cannot spell every folder name.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// Standard output and error carry the same bytes on every platform: no
// LF to CR LF translation on Windows.
void UseBinaryStandardStreams();

// Whether a progress line can be redrawn in place.
bool StandardErrorIsTerminal();

// Ctrl-C (and, on Windows, Ctrl-Break and closing the console window; on
// other systems SIGTERM) sets `stop`, so a long search ends promptly and
// writes nothing.
void StopOnInterrupt(StopFlag& stop);

} // namespace tarvenna
