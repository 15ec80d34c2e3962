#pragma once

#include <wx/iconbndl.h>
#include <wx/image.h>

namespace tarvenna {

// The program icon, drawn here rather than loaded so that the program ships as
// one file: a gold key on a dark red tile.
wxImage DrawTarvennaIcon(int size);

// The icon in the sizes window managers ask for (16, 32 and 48 pixels).
wxIconBundle MakeTarvennaIcons();

} // namespace tarvenna
