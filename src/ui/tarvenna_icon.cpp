#include "ui/tarvenna_icon.h"

#include <algorithm>
#include <cmath>

#include <wx/bitmap.h>
#include <wx/icon.h>

namespace tarvenna {
namespace {

struct Colour {
    double r, g, b;
};

constexpr Colour kTileTop{0.55, 0.08, 0.12};
constexpr Colour kTileBottom{0.30, 0.03, 0.07};
constexpr Colour kKey{0.96, 0.78, 0.33};
constexpr int kSubsamples = 4; // per axis; smooths the edges at 16 pixels

// Shapes in a unit square, y downwards.
bool InTile(double x, double y)
{
    constexpr double margin = 0.03;
    constexpr double radius = 0.18;
    const double dx = std::max({margin + radius - x, x - (1.0 - margin - radius), 0.0});
    const double dy = std::max({margin + radius - y, y - (1.0 - margin - radius), 0.0});
    if (x < margin || x > 1.0 - margin || y < margin || y > 1.0 - margin) return false;
    return dx * dx + dy * dy <= radius * radius;
}

bool InKey(double x, double y)
{
    // Key coordinates: u runs from the bow's centre down to the tip, v across.
    constexpr double centre = 0.31;
    constexpr double half = 0.70710678118654752;
    const double px = x - centre;
    const double py = y - centre;
    const double u = (px + py) * half;
    const double v = (py - px) * half;

    const double r = std::sqrt(u * u + v * v);
    if (r >= 0.085 && r <= 0.2) return true;                        // bow
    if (u >= 0.18 && u <= 0.68 && std::abs(v) <= 0.055) return true; // shaft
    const bool toothRow = v >= 0.0 && v <= 0.17;
    return toothRow && ((u >= 0.44 && u <= 0.52) || (u >= 0.59 && u <= 0.68)); // bit
}

// Lighter at the top left, darker at the bottom right.
Colour TileColour(double t)
{
    return {kTileTop.r + (kTileBottom.r - kTileTop.r) * t, kTileTop.g + (kTileBottom.g - kTileTop.g) * t,
            kTileTop.b + (kTileBottom.b - kTileTop.b) * t};
}

unsigned char Channel(double value)
{
    return static_cast<unsigned char>(std::lround(std::clamp(value, 0.0, 1.0) * 255.0));
}

} // namespace

wxImage DrawTarvennaIcon(int size)
{
    wxImage image(size, size);
    image.InitAlpha();
    const double step = 1.0 / (size * kSubsamples);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            double coverage = 0.0;
            Colour sum{0.0, 0.0, 0.0};
            for (int sy = 0; sy < kSubsamples; ++sy) {
                for (int sx = 0; sx < kSubsamples; ++sx) {
                    const double ux = (x * kSubsamples + sx + 0.5) * step;
                    const double uy = (y * kSubsamples + sy + 0.5) * step;
                    if (!InTile(ux, uy)) continue;
                    const Colour c = InKey(ux, uy) ? kKey : TileColour((ux + uy) / 2.0);
                    sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
                    coverage += 1.0;
                }
            }
            const double samples = kSubsamples * kSubsamples;
            if (coverage > 0.0) {
                image.SetRGB(x, y, Channel(sum.r / coverage), Channel(sum.g / coverage), Channel(sum.b / coverage));
            }
            image.SetAlpha(x, y, Channel(coverage / samples));
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
