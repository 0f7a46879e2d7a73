#pragma once

// Test-only GIF helpers: an encoder and a reference decoder on top of giflib, gifsicle
// as an independent encoder, and random animations.
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <QByteArray>
#include <QImage>
#include <QStringList>

namespace gifkit {

struct Frame {
    int left = 0, top = 0, width = 1, height = 1;
    std::vector<std::uint8_t> pixels;       // width * height indices, display order
    int disposal = 0;                       // written as is (0..7)
    int delayCs = 0;                        // hundredths of a second
    int transparent = -1;                   // index, or -1
    bool interlaced = false;
    bool gce = true;                        // write a graphic control extension
    std::vector<std::uint32_t> localPalette; // RGB; empty = use the global table
};

struct Animation {
    int screenWidth = 1, screenHeight = 1;
    std::vector<std::uint32_t> globalPalette;  // empty = none
    std::optional<int> loops;                  // NETSCAPE2.0 block when set
    std::vector<Frame> frames;
};

// Encodes with giflib (an encoder independent of the control).
QByteArray encode(const Animation &a);

// Frames as giflib decodes them and the disposal rules compose them over a transparent
// surface of the frames' overall size. Stops quietly where the stream is cut.
struct Reference {
    int width = 0, height = 0;
    std::vector<QImage> frames;              // ARGB32 premultiplied, one per decoded image
    std::vector<int> completeRows;           // rows giflib delivered per image
};
Reference referenceDecode(const QByteArray &bytes);

// Runs gifsicle with `args` on `input` and returns what it wrote; empty on failure.
QByteArray gifsicle(const QByteArray &input, const QStringList &args);

// A random animation: sizes, positions, disposals 0..3, transparency, local palettes,
// interlacing, and pixels mixing noise and runs.
Animation randomAnimation(std::mt19937 &rng, int maxSide = 64, int maxFrames = 6);

// A palette of `n` distinct colours.
std::vector<std::uint32_t> palette(int n, std::uint32_t seed = 1);

// The control's view of a stream, composed the way cirrolith-gif dump does it.
std::vector<QImage> controlFrames(const QByteArray &bytes, int *width = nullptr, int *height = nullptr);

// First differing pixel as text, or empty when equal.
std::string diff(const QImage &a, const QImage &b);

} // namespace gifkit
