#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarvenna {

// The program icon without any toolkit: a gold key on a dark red tile, as
// RGBA rows from the top, edges smoothed by subsampling.
std::vector<std::uint8_t> DrawTarvennaIconRgba(int size);

// The sizes window managers and Explorer ask for.
inline const std::vector<int> kTarvennaIconSizes = {16, 32, 48, 256};

// A Windows .ico file of RGBA images of these sizes (32-bit bitmaps).
std::string IcoFile(const std::vector<int>& sizes, const std::vector<std::vector<std::uint8_t>>& rgbaImages);

// The program icon in every size, as a .ico file, for the Windows resource.
std::string TarvennaIconFile();

} // namespace tarvenna
