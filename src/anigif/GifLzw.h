#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace anigif {

// Joins the data sub-blocks that start at p[0] (the first length byte) into `out`;
// stops at the terminator or at the end of the input. Returns the bytes consumed.
std::size_t gatherSubBlocks(const std::uint8_t *p, std::size_t n, std::vector<std::uint8_t> &out);

// Spare bytes an LZW output buffer needs beyond its pixel count: strings are copied
// eight bytes at a time and may overshoot.
constexpr std::size_t kLzwOutputSlack = 4096 + 16;

// Decodes GIF LZW data into `out` (room for outLen + kLzwOutputSlack bytes).
// Returns the pixel count produced, at most outLen. An invalid code, the end code
// or the end of the data ends the frame; what was decoded before stays.
std::size_t lzwDecode(const std::uint8_t *data, std::size_t n, int minCodeSize,
                      std::uint8_t *out, std::size_t outLen);

// Compresses w x h 8-bit indices (rows `stride` bytes apart, starting at `pixels`)
// with the hashed GIF LZW scheme, minimum code size 8, and appends the data as
// sub-blocks of at most 254 bytes to `out` (no terminator).
void lzwCompress(const std::uint8_t *pixels, std::ptrdiff_t stride, int w, int h,
                 std::vector<std::uint8_t> &out);

} // namespace anigif
