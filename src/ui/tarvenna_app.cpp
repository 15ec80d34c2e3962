#include "ui/tarvenna_app.h"

#include "ui/tarvenna_dlg.h"

bool CTarvennaApp::OnInit()
{
    SetAppDisplayName("Tarvenna");
    return wxApp::OnInit();
}

int CTarvennaApp::OnRun()
{
    // The dialog's own modal loop is the program's main loop.
    CTarvennaDlg dialog;
    SetTopWindow(&dialog);
    dialog.ShowModal();
    SetTopWindow(nullptr);
    return 0;
}
