#pragma once

#include <algorithm>
#include <thread>

namespace tarvenna {

// The threads a search takes unless told otherwise: one per processor, or
// one where the system does not say.
inline unsigned ProcessorCount() { return std::max(1u, std::thread::hardware_concurrency()); }

} // namespace tarvenna
