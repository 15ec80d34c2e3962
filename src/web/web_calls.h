#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "core/status_log.h"
#include "form/form_model.h"

namespace tarvenna {

// One instance of the browser module: the page's form on the main thread,
// or one worker's searches and runs.
struct WebSession {
    FormModel form;
    std::filesystem::path outputDirectory = "/out"; // in the module's memory
    StatusLog::Listener onLog;                      // sees a run's status log as it grows
};

// Answers one request of the page, both as JSON text (see docs/web.md).
// Never throws: a bad request gets {"error": "..."}.
std::string HandleWebCall(WebSession& session, std::string_view request);

} // namespace tarvenna
