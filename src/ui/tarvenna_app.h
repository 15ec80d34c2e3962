#pragma once

#include <wx/app.h>

namespace tarvenna {

// The application object: opens the settings dialog modally; closing the
// dialog ends the program.
class TarvennaApp : public wxApp {
public:
    bool OnInit() override;
    int OnRun() override;
};

} // namespace tarvenna
