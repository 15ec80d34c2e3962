// Writes the program icon as a .ico file, for the Windows resource.
#include <cstdio>
#include <fstream>

#include "ui/icon_pixels.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: tarvenna-icon FILE.ico\n", stderr);
        return 2;
    }
    const std::string icon = tarvenna::TarvennaIconFile();
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(icon.data(), static_cast<std::streamsize>(icon.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "tarvenna-icon: could not write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
