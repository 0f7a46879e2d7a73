// Decode, compress and paint costs of the animated-GIF control against giflib, Qt's
// GIF reader and QMovie. The animations are made at start-up: radar-like loops, noisy
// 256-colour plasma loops, a dithered webcam-like stream and a 4K still. Decoding runs
// on one thread and on every core, reported apart; a table of same-run ratios closes
// the output.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <vector>

#include <QBuffer>
#include <QGuiApplication>
#include <QImageReader>
#include <QMovie>
#include <QPainter>

#include <gif_lib.h>

#include "AniGifCore.h"
#include "GifLzw.h"
#include "GifTestKit.h"

namespace {

constexpr int kW = 800, kH = 600, kFrames = 16;

// Radar-like pictures: flat background, moving blobs in a few colours, some speckle.
gifkit::Animation radar(bool noisy) {
    gifkit::Animation a;
    a.screenWidth = kW;
    a.screenHeight = kH;
    a.globalPalette = gifkit::palette(256, 7);
    std::mt19937 rng(3);
    for (int f = 0; f < kFrames; ++f) {
        gifkit::Frame fr;
        fr.width = kW;
        fr.height = kH;
        fr.delayCs = 10;
        fr.disposal = 1;
        fr.pixels.resize(size_t(kW) * kH);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                const int dx = x - 300 - f * 10, dy = y - 280;
                const int r2 = dx * dx + dy * dy;
                int v = r2 < 40000 ? 10 + r2 / 4000 : (x / 40 + y / 40) % 3;
                if (noisy) v = (v * 23 + int(rng() % 40)) % 256;
                else if (rng() % 50 == 0) v = 200 + int(rng() % 20);
                fr.pixels[size_t(y) * kW + x] = std::uint8_t(v);
            }
        a.frames.push_back(std::move(fr));
    }
    return a;
}

// Satellite-like plasma over all 256 colours with sensor noise: short LZW strings, long codes.
gifkit::Animation plasma(int w, int h, int frames, std::uint32_t seed) {
    gifkit::Animation a;
    a.screenWidth = w;
    a.screenHeight = h;
    a.globalPalette = gifkit::palette(256, seed);
    std::mt19937 rng(seed);
    std::vector<float> sx(w), sy(h), sd(w + h);
    for (int f = 0; f < frames; ++f) {
        const float t = 0.15f * f;
        for (int x = 0; x < w; ++x) sx[x] = std::sin(x * 0.011f + t) + 0.5f * std::sin(x * 0.043f - t);
        for (int y = 0; y < h; ++y) sy[y] = std::sin(y * 0.017f - 0.7f * t) + 0.5f * std::sin(y * 0.051f + t);
        for (int d = 0; d < w + h; ++d) sd[d] = std::sin(d * 0.007f + 1.3f * t);
        gifkit::Frame fr;
        fr.width = w;
        fr.height = h;
        fr.delayCs = 20;
        fr.disposal = 1;
        fr.pixels.resize(size_t(w) * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const float v = (sx[x] + sy[y] + sd[x + y] + 4.0f) * 32.0f;  // 0..256
                fr.pixels[size_t(y) * w + x] = std::uint8_t(int(v) + int(rng() % 17) - 8);
            }
        a.frames.push_back(std::move(fr));
    }
    return a;
}

// A webcam-like stream: a lit scene with a moving subject, sensor noise per channel,
// ordered-dithered onto a 6 x 7 x 6 colour cube.
gifkit::Animation webcam(int w, int h, int frames) {
    gifkit::Animation a;
    a.screenWidth = w;
    a.screenHeight = h;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 7; ++g)
            for (int b = 0; b < 6; ++b) a.globalPalette.push_back((r * 51u) << 16 | (g * 42u) << 8 | b * 51u);
    while (a.globalPalette.size() < 256) a.globalPalette.push_back(0);
    static const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    std::mt19937 rng(11);
    auto level = [](int v, int steps, int dither) {
        const int scaled = v * (steps - 1) * 16 / 255 + dither;  // sixteenths of a step
        return std::clamp(scaled / 16, 0, steps - 1);
    };
    for (int f = 0; f < frames; ++f) {
        gifkit::Frame fr;
        fr.width = w;
        fr.height = h;
        fr.delayCs = 50;
        fr.disposal = 1;
        fr.pixels.resize(size_t(w) * h);
        const int cx = w / 3 + f * w / (3 * frames), cy = h / 2;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                int r, g, b;
                if (y < h * 2 / 5) {  // sky
                    r = 90 + y * 60 / h;
                    g = 140 + y * 50 / h;
                    b = 220 - y * 40 / h;
                } else if ((x / 97) % 3 == 0 && y < h * 3 / 5) {  // buildings
                    r = g = b = 110 + (x * 7 + y * 3) % 40;
                } else {  // street
                    r = 80 + (x + y) % 23;
                    g = 85 + x * 30 / w;
                    b = 70;
                }
                const int dx = x - cx, dy = y - cy;
                if (dx * dx + dy * dy < h * h / 36) {  // the subject
                    r = 200 - dy / 4;
                    g = 150 + dx / 5;
                    b = 120;
                }
                const int n = int(rng() & 0xFFFF);
                r = std::clamp(r + (n & 15) - 8, 0, 255);
                g = std::clamp(g + ((n >> 4) & 15) - 8, 0, 255);
                b = std::clamp(b + ((n >> 8) & 15) - 8, 0, 255);
                const int d = bayer[y & 3][x & 3];
                fr.pixels[size_t(y) * w + x] =
                    std::uint8_t(level(r, 6, d) * 42 + level(g, 7, d) * 6 + level(b, 6, d));
            }
        a.frames.push_back(std::move(fr));
    }
    return a;
}

enum Kind { Radar, Noisy, RadarO2, Noisy40, Webcam, Still4K, KindCount };

const char *kindName(int kind) {
    static const char *names[KindCount] = {"radar",
                                           "noisy",
                                           "radar-O2",
                                           "noisy 40x1024x768",
                                           "webcam 24x1280x720",
                                           "4K still"};
    return names[kind];
}

// Each stream is made the first time a benchmark asks for it.
const QByteArray &stream(int kind) {
    static QByteArray made[KindCount];
    static bool done[KindCount] = {};
    if (!done[kind]) {
        switch (kind) {
        case Radar: made[kind] = gifkit::encode(radar(false)); break;
        case Noisy: made[kind] = gifkit::encode(radar(true)); break;
        case RadarO2: made[kind] = gifkit::gifsicle(gifkit::encode(radar(false)), {"-O2"}); break;
        case Noisy40: made[kind] = gifkit::encode(plasma(1024, 768, 40, 21)); break;
        case Webcam: made[kind] = gifkit::encode(webcam(1280, 720, 24)); break;
        case Still4K: made[kind] = gifkit::encode(plasma(3840, 2160, 1, 5)); break;
        }
        done[kind] = true;
    }
    return made[kind];
}

struct Source {
    const QByteArray *b;
    qsizetype pos;
};
int readFn(GifFileType *g, GifByteType *d, int n) {
    auto *s = static_cast<Source *>(g->UserData);
    const int k = int(std::min<qsizetype>(n, s->b->size() - s->pos));
    std::memcpy(d, s->b->constData() + s->pos, size_t(k));
    s->pos += k;
    return k;
}
int writeFn(GifFileType *g, const GifByteType *d, int n) {
    static_cast<QByteArray *>(g->UserData)->append(reinterpret_cast<const char *>(d), n);
    return n;
}

void setPixels(benchmark::State &state, const QByteArray &b) {
    anigif::GifStream s;
    anigif::parseGif(b, s);
    std::int64_t px = 0;
    for (const auto &f : s.frames) px += std::int64_t(f.width) * f.height;
    state.SetItemsProcessed(state.iterations() * px);
    state.SetLabel(kindName(int(state.range(0))));
}

// Every frame into 8-bit indices, on `threads` threads (0 = one per core).
void decodeOurs(benchmark::State &state, int threads) {
    const QByteArray &b = stream(int(state.range(0)));
    anigif::AniGifCore::setDecodeThreads(threads);
    int used = 0;
    for (auto _ : state) {
        anigif::AniGifCore core;
        core.parse(b);
        core.allocate(true);
        core.decodeFrames(b, 1, core.frameCount());
        benchmark::DoNotOptimize(core.strip().constBits());
        used = core.lastDecodeThreads();
    }
    anigif::AniGifCore::setDecodeThreads(0);
    state.counters["threads"] = used;
    setPixels(state, b);
}
void BM_Decode_Ours(benchmark::State &state) { decodeOurs(state, 1); }
void BM_Decode_OursParallel(benchmark::State &state) { decodeOurs(state, 0); }

void BM_Decode_Giflib(benchmark::State &state) {
    const QByteArray &b = stream(int(state.range(0)));
    for (auto _ : state) {
        Source src{&b, 0};
        int err = 0;
        GifFileType *g = DGifOpen(&src, readFn, &err);
        DGifSlurp(g);
        benchmark::DoNotOptimize(g->SavedImages);
        DGifCloseFile(g, &err);
    }
    setPixels(state, b);
}

void BM_Decode_QImageReader(benchmark::State &state) {
    const QByteArray &b = stream(int(state.range(0)));
    for (auto _ : state) {
        QBuffer buf;
        buf.setData(b);
        buf.open(QIODevice::ReadOnly);
        QImageReader reader(&buf, "gif");
        QImage img;
        while (reader.read(&img)) benchmark::DoNotOptimize(img.constBits());
    }
    setPixels(state, b);
}

// One 800 x 600 frame through each compressor.
void BM_Compress_Ours(benchmark::State &state) {
    const gifkit::Animation a = radar(state.range(0) == 1);
    const auto &px = a.frames[3].pixels;
    std::vector<std::uint8_t> out;
    for (auto _ : state) {
        out.clear();
        anigif::lzwCompress(px.data(), kW, kW, kH, out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * kW * kH);
    state.SetLabel(kindName(int(state.range(0))));
}

void BM_Compress_Giflib(benchmark::State &state) {
    const gifkit::Animation a = radar(state.range(0) == 1);
    auto px = a.frames[3].pixels;
    std::vector<GifColorType> colours(256);
    for (int i = 0; i < 256; ++i)
        colours[i] = GifColorType{GifByteType(a.globalPalette[i] >> 16), GifByteType(a.globalPalette[i] >> 8),
                                  GifByteType(a.globalPalette[i])};
    for (auto _ : state) {
        QByteArray out;
        out.reserve(kW * kH);
        int err = 0;
        GifFileType *g = EGifOpen(&out, writeFn, &err);
        ColorMapObject *map = GifMakeMapObject(256, colours.data());
        EGifPutScreenDesc(g, kW, kH, 8, 0, map);
        EGifPutImageDesc(g, 0, 0, kW, kH, false, nullptr);
        for (int y = 0; y < kH; ++y) EGifPutLine(g, px.data() + size_t(y) * kW, kW);
        EGifCloseFile(g, &err);
        GifFreeMapObject(map);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * kW * kH);
    state.SetLabel(kindName(int(state.range(0))));
}

// Putting the next frame of the animation on an 800 x 600 surface.
void BM_Paint_Ours(benchmark::State &state) {
    const QByteArray &b = stream(int(state.range(0)));
    anigif::AniGifCore core;
    core.parse(b);
    core.allocate(true);
    core.decodeFrames(b, 1, core.frameCount());
    QImage surface(kW, kH, QImage::Format_ARGB32_Premultiplied);
    surface.fill(0);
    anigif::RenderParams rp;
    rp.clientWidth = kW;
    rp.clientHeight = kH;
    int f = 0;
    for (auto _ : state) {
        f = f % core.frameCount() + 1;
        QPainter p(&surface);
        core.renderFrame(f, p, rp);
    }
    state.SetLabel(kindName(int(state.range(0))));
}

void BM_Paint_QMovie(benchmark::State &state) {
    const QByteArray &b = stream(int(state.range(0)));
    QBuffer buf;
    buf.setData(b);
    buf.open(QIODevice::ReadOnly);
    auto movie = std::make_unique<QMovie>(&buf, "gif");
    for (auto _ : state) {
        if (!movie->jumpToNextFrame()) {
            state.PauseTiming();
            movie.reset();
            buf.seek(0);
            movie = std::make_unique<QMovie>(&buf, "gif");
            state.ResumeTiming();
            movie->jumpToNextFrame();
        }
        benchmark::DoNotOptimize(movie->currentImage().constBits());
    }
    state.SetLabel(kindName(int(state.range(0))));
}

// Registered class by class so that, even without interleaving, the four decoders of
// one class run close together in time on a shared machine.
const bool registered = [] {
    for (int k = 0; k < KindCount; ++k) {
        auto reg = [&](const char *name, void (*fn)(benchmark::State &)) {
            benchmark::RegisterBenchmark(name, fn)
                ->Arg(k)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        };
        reg("BM_Decode_Ours", BM_Decode_Ours);
        reg("BM_Decode_OursParallel", BM_Decode_OursParallel);
        reg("BM_Decode_Giflib", BM_Decode_Giflib);
        reg("BM_Decode_QImageReader", BM_Decode_QImageReader);
    }
    return true;
}();
BENCHMARK(BM_Compress_Ours)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Compress_Giflib)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Paint_Ours)->Arg(0)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Paint_QMovie)->Arg(0)->Arg(2)->Unit(benchmark::kMicrosecond);

// The console output, plus the decode times kept for the ratio table. With repetitions
// the median is kept, otherwise the single run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &r : runs) {
            if (r.error_occurred) continue;
            const bool median = r.run_type == Run::RT_Aggregate && r.aggregate_name == "median";
            if (r.run_type == Run::RT_Aggregate && !median) continue;
            const std::string name = r.benchmark_name();
            const std::string fn = name.substr(0, name.find('/'));
            auto &slot = m_times[r.report_label][fn];
            const auto threads = r.counters.find("threads");
            if (median || !slot.fromMedian)
                slot = {r.GetAdjustedRealTime(), r.GetAdjustedCPUTime(), median,
                        threads == r.counters.end() ? 0 : int(threads->second.value)};
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // How many times faster ours is than each peer, per class (real time; one thread also in CPU time).
    void printRatios() const {
        if (m_times.empty()) return;
        std::printf("\nDecode speed-up over the peers, same run (peer time / our time):\n");
        std::printf("%-20s %10s %10s %10s %12s %10s %12s\n", "class", "1t/giflib", "1t/giflib", "1t/QImgRd",
                    "par/giflib", "par/QImgRd", "par threads");
        std::printf("%-20s %10s %10s %10s %12s %10s %12s\n", "", "(wall)", "(cpu)", "(wall)", "(wall)", "(wall)", "");
        for (int k = 0; k < KindCount; ++k) {
            const auto it = m_times.find(kindName(k));
            if (it == m_times.end()) continue;
            const auto &t = it->second;
            auto get = [&](const char *fn) -> const Times * {
                const auto f = t.find(fn);
                return f == t.end() ? nullptr : &f->second;
            };
            const Times *one = get("BM_Decode_Ours"), *par = get("BM_Decode_OursParallel");
            const Times *gif = get("BM_Decode_Giflib"), *qir = get("BM_Decode_QImageReader");
            auto ratio = [](const Times *peer, const Times *ours, bool cpu) {
                if (!peer || !ours) return std::string("-");
                const double p = cpu ? peer->cpu : peer->real, o = cpu ? ours->cpu : ours->real;
                char buf[32];
                std::snprintf(buf, sizeof buf, "%.2fx", p / o);
                return std::string(buf);
            };
            std::printf("%-20s %10s %10s %10s %12s %10s %12d\n", kindName(k), ratio(gif, one, false).c_str(),
                        ratio(gif, one, true).c_str(), ratio(qir, one, false).c_str(),
                        ratio(gif, par, false).c_str(), ratio(qir, par, false).c_str(),
                        par ? par->threads : 0);
        }
    }

private:
    struct Times {
        double real = 0, cpu = 0;
        bool fromMedian = false;
        int threads = 0;
    };
    std::map<std::string, std::map<std::string, Times>> m_times;
};

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // The machines this runs on are shared: by default each benchmark runs three times in
    // random order with the others and the median counts. Options given later win.
    std::vector<char *> args(argv, argv + argc);
    char repetitions[] = "--benchmark_repetitions=3";
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    char aggregates[] = "--benchmark_report_aggregates_only=true";
    args.insert(args.begin() + 1, {repetitions, interleave, aggregates});
    int count = int(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
