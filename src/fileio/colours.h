// The copy engine's colours, as console palette indices.
#pragma once

#include <cstdint>

namespace modFileIO {

const int32_t LightGreen = 10;    // the working colour, and the box's frame
const int32_t LightCyan = 11;     // the completed ending and its summary
const int32_t LightMagenta = 13;  // the break line

}  // namespace modFileIO
