#include "ui/icon_pixels.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

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

std::vector<std::uint8_t> DrawTarvennaIconRgba(int size)
{
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(size) * static_cast<std::size_t>(size) * 4, 0);
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
            std::uint8_t* pixel = &rgba[(static_cast<std::size_t>(y) * static_cast<std::size_t>(size) +
                                         static_cast<std::size_t>(x)) * 4];
            if (coverage > 0.0) {
                pixel[0] = Channel(sum.r / coverage);
                pixel[1] = Channel(sum.g / coverage);
                pixel[2] = Channel(sum.b / coverage);
            }
            pixel[3] = Channel(coverage / (kSubsamples * kSubsamples));
        }
    }
    return rgba;
}

std::string TarvennaIconFile()
{
    std::vector<std::vector<std::uint8_t>> images;
    for (int size : kTarvennaIconSizes) images.push_back(DrawTarvennaIconRgba(size));
    return IcoFile(kTarvennaIconSizes, images);
}

std::string IcoFile(const std::vector<int>& sizes, const std::vector<std::vector<std::uint8_t>>& rgbaImages)
{
    std::string out;
    auto put16 = [&](unsigned value) {
        out.push_back(static_cast<char>(value & 0xFF));
        out.push_back(static_cast<char>((value >> 8) & 0xFF));
    };
    auto put32 = [&](std::size_t value) {
        put16(static_cast<unsigned>(value & 0xFFFF));
        put16(static_cast<unsigned>((value >> 16) & 0xFFFF));
    };
    // Each image: a 40-byte bitmap header, BGRA rows bottom up, then the
    // AND mask (rows padded to 32 bits), all clear: alpha decides.
    auto maskRow = [](int size) { return static_cast<std::size_t>((size + 31) / 32 * 4); };
    auto imageBytes = [&](int size) {
        const auto side = static_cast<std::size_t>(size);
        return 40 + side * side * 4 + maskRow(size) * side;
    };
    put16(0);
    put16(1); // icon
    put16(static_cast<unsigned>(sizes.size()));
    std::size_t offset = 6 + 16 * sizes.size();
    for (int size : sizes) {
        out.push_back(static_cast<char>(size >= 256 ? 0 : size));
        out.push_back(static_cast<char>(size >= 256 ? 0 : size));
        out.push_back(0); // no palette
        out.push_back(0);
        put16(1);  // planes
        put16(32); // bits per pixel
        put32(imageBytes(size));
        put32(offset);
        offset += imageBytes(size);
    }
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const int size = sizes[i];
        const auto side = static_cast<std::size_t>(size);
        put32(40);
        put32(side);
        put32(side * 2); // colour rows and mask rows
        put16(1);
        put16(32);
        put32(0); // uncompressed
        put32(side * side * 4 + maskRow(size) * side);
        for (int unused = 0; unused < 4; ++unused) put32(0);
        for (std::size_t row = side; row-- > 0;) {
            for (std::size_t x = 0; x < side; ++x) {
                const std::uint8_t* p = &rgbaImages[i][(row * side + x) * 4];
                for (std::uint8_t channel : {p[2], p[1], p[0], p[3]}) out.push_back(static_cast<char>(channel));
            }
        }
        out.append(maskRow(size) * side, '\0');
    }
    return out;
}

} // namespace tarvenna
