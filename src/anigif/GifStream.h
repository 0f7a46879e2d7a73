#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include <QByteArray>

namespace anigif {

// One kept image of a GIF stream, as the parser found it.
struct FrameInfo {
    int left = 0, top = 0;
    int width = 0, height = 0;
    int delayMs = 0;          // 0 when the frame had no graphic control extension
    int paletteRow = 0;       // 0 = global table, k = k-th local table
    int streamPos = -1;       // byte offset of its graphic control extension, or of the separator
    int stripColumn = 0;      // first column of the frame in the frame strip
    std::uint8_t transIndex = 0;
    std::uint8_t hasTransparency = 0;
    std::uint8_t disposal = 0;  // 0..3
};

// Where an image block lies in the stream: from its separator through its data terminator.
struct BlockEntry {
    int start = 0;
    int length = 0;
};

// A colour table row: entries 0..255 as R*65536 + G*256 + B, entry 256 the colour count.
using ColorRow = std::array<std::uint32_t, 257>;

// What the parser makes of a stream. It never decodes image data.
struct GifStream {
    std::vector<FrameInfo> frames;
    std::vector<ColorRow> colorTables;  // row 0 global; rows never filled are zero
    std::vector<BlockEntry> blockTable; // parallel to frames
    int localTableCount = 0;
    bool hasGlobalTable = false;
    int width = 0, height = 0;          // largest left+width, top+height over kept frames
    int loops = 0;                      // from a NETSCAPE2.0 block; 0 = endless
    std::uint8_t headerPacked = 0;      // logical screen packed byte

    void clear() { *this = GifStream(); }
};

// Walks the stream and fills `out`; returns the frame count (0 = the load fails).
// A stream cut short keeps the frames completed before the cut.
int parseGif(const QByteArray &bytes, GifStream &out);

} // namespace anigif
