#include "ui/tarvenna_icon.h"

#include <cstddef>

#include <wx/bitmap.h>
#include <wx/icon.h>

#include "ui/icon_pixels.h"

namespace tarvenna {

wxImage DrawTarvennaIcon(int size)
{
    const std::vector<std::uint8_t> rgba = DrawTarvennaIconRgba(size);
    wxImage image(size, size);
    image.InitAlpha();
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * static_cast<std::size_t>(size) +
                                           static_cast<std::size_t>(x)) * 4];
            image.SetRGB(x, y, p[0], p[1], p[2]);
            image.SetAlpha(x, y, p[3]);
        }
    }
    return image;
}

wxIconBundle MakeTarvennaIcons()
{
    wxIconBundle icons;
    for (int size : {16, 32, 48}) {
        wxIcon icon;
        icon.CopyFromBitmap(wxBitmap(DrawTarvennaIcon(size)));
        icons.AddIcon(icon);
    }
    return icons;
}

} // namespace tarvenna
