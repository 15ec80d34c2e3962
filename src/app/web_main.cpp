// The web page's module: one call, JSON in and out (see docs/web.md).
#include <emscripten/emscripten.h>

#include <string>
#include <string_view>

#include "web/web_calls.h"

// Hands a run's status log to the page as it grows, when it asked for it.
EM_JS(void, tarvenna_on_log, (const char* text, int length), {
    if (Module['onLog']) Module['onLog'](UTF8ToString(text, length));
});

extern "C" EMSCRIPTEN_KEEPALIVE const char* tarvenna_call(const char* request)
{
    static tarvenna::WebSession session = [] {
        tarvenna::WebSession made;
        made.onLog = [](std::string_view text) { tarvenna_on_log(text.data(), static_cast<int>(text.size())); };
        return made;
    }();
    // Valid until the next call: the caller copies it into a JavaScript string at once.
    static std::string reply;
    reply = tarvenna::HandleWebCall(session, request);
    return reply.c_str();
}
