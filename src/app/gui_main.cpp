// The tarvenna-gui program: the settings dialog.
#include "ui/tarvenna_app.h"

wxIMPLEMENT_APP(tarvenna::TarvennaApp);
