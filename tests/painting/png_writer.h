// Writes an RGB picture as a PNG file without a compression library: the
// pixel rows go into stored (uncompressed) deflate blocks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// rgb holds width x height pixels as 0xRRGGBB, row by row from the top.
bool WritePng(const std::string& path, int width, int height, const std::vector<uint32_t>& rgb);
