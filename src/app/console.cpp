#include "app/console.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// After windows.h, which it builds on.
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#else
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#endif

#include <cerrno>
#include <cstdio>

namespace tarvenna {
namespace {

StopFlag* g_stop = nullptr;

} // namespace

#ifdef _WIN32

namespace {

BOOL WINAPI OnConsoleEvent(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
    if (g_stop != nullptr) g_stop->store(true);
    return TRUE;
}

std::string Utf8FromWide(const wchar_t* text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return {};
    std::string result(static_cast<std::size_t>(size - 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), size, nullptr, nullptr);
    return result;
}

} // namespace

std::vector<std::string> Utf8Arguments(int argc, char** argv)
{
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(Utf8FromWide(wide[i]));
    LocalFree(wide);
    return arguments;
}

void UseBinaryStandardStreams()
{
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

void StopOnInterrupt(StopFlag& stop)
{
    g_stop = &stop;
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

// The files are written through handles, never through the C runtime's
// numbers, so none can take a closed stream's place.
void OpenClosedStandardStreams() {}

bool StandardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }
bool StandardOutputIsTerminal() { return _isatty(_fileno(stdout)) != 0; }

#else

std::vector<std::string> Utf8Arguments(int argc, char** argv)
{
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void UseBinaryStandardStreams() {}

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) != 0; }
bool StandardOutputIsTerminal() { return isatty(STDOUT_FILENO) != 0; }

namespace {

extern "C" void OnInterrupt(int)
{
    if (g_stop != nullptr) g_stop->store(true);
}

} // namespace

void StopOnInterrupt(StopFlag& stop)
{
    static_assert(StopFlag::is_always_lock_free);
    g_stop = &stop;
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    std::signal(SIGHUP, OnInterrupt);
    std::signal(SIGPIPE, SIG_IGN);
}

void OpenClosedStandardStreams()
{
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // The lowest free number is this one: those below are open by now.
        const int opened = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (opened != fd && opened >= 0) close(opened);
    }
}

#endif

bool WriteStandardOutput(std::string_view text)
{
    errno = 0;
    const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0;
    if (written) return true;
    const bool broken = errno == EPIPE;
    std::clearerr(stdout);
    return !broken;
}

} // namespace tarvenna
