// Writes the program icon as PNG files for a Linux desktop's icon theme:
// DIR/<size>x<size>/apps/tarvenna.png for each size given.
#include <cstdio>
#include <string>

#include <wx/filename.h>
#include <wx/image.h>
#include <wx/init.h>

#include "ui/tarvenna_icon.h"

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fputs("usage: tarvenna-icon-png DIR SIZE...\n", stderr);
        return 2;
    }
    const wxInitializer initializer;
    wxImage::AddHandler(new wxPNGHandler);
    for (int i = 2; i < argc; ++i) {
        const int size = std::stoi(argv[i]);
        const wxString folder = wxString::Format("%s/%dx%d/apps", argv[1], size, size);
        if (!wxFileName::Mkdir(folder, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL) ||
            !tarvenna::DrawTarvennaIcon(size).SaveFile(folder + "/tarvenna.png", wxBITMAP_TYPE_PNG)) {
            std::fprintf(stderr, "tarvenna-icon-png: could not write %s/tarvenna.png\n", folder.utf8_str().data());
            return 1;
        }
    }
    return 0;
}
