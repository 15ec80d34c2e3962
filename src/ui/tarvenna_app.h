#pragma once

#include <wx/app.h>

// The application object: opens the settings dialog modally; closing the
// dialog ends the program.
class CTarvennaApp : public wxApp {
public:
    bool OnInit() override;
    int OnRun() override;
};
