#include "ui/tarvenna_app.h"

#include <wx/filename.h>
#include <wx/stdpaths.h>

#include "ui/settings_dialog.h"

namespace tarvenna {

bool TarvennaApp::OnInit()
{
    SetAppDisplayName("Tarvenna");
    // The choices of the last run are kept in ~/.config/tarvenna.conf, or
    // under the registry's HKEY_CURRENT_USER\Software\tarvenna on Windows.
    SetAppName("tarvenna");
    wxStandardPaths::Get().SetFileLayout(wxStandardPaths::FileLayout_XDG);
    wxFileName::Mkdir(wxStandardPaths::Get().GetUserConfigDir(), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    return wxApp::OnInit();
}

int TarvennaApp::OnRun()
{
    // The dialog's own modal loop is the program's main loop.
    SettingsDialog dialog;
    SetTopWindow(&dialog);
    dialog.ShowModal();
    SetTopWindow(nullptr);
    return 0;
}

} // namespace tarvenna
