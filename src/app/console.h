#pragma once

#include <string>
#include <string_view>
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
// Whether the status log goes to a terminal too, where a line redrawn in
// place on standard error would draw over it.
bool StandardOutputIsTerminal();

// Ctrl-C (and, on Windows, Ctrl-Break and closing the console window; on
// other systems SIGTERM and SIGHUP) sets `stop`, so a long search ends
// promptly and writes nothing. A closed pipe on standard output no longer
// kills the process: writes to it fail instead (see WriteStandardOutput).
void StopOnInterrupt(StopFlag& stop);

// Opens the null device on standard input, output and error where they are
// closed, so that no file the run creates takes their numbers and receives
// what is meant for them.
void OpenClosedStandardStreams();

// Writes all of `text` to standard output; false once its reader has gone
// (a broken pipe).
bool WriteStandardOutput(std::string_view text);

} // namespace tarvenna
