// Decode, compress and paint costs of the animated-GIF control against giflib, Qt's
// GIF reader and QMovie, on 800 x 600 animations made at start-up.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>

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

const QByteArray &stream(int kind) {
    static const QByteArray s[3] = {
        gifkit::encode(radar(false)),
        gifkit::encode(radar(true)),
        gifkit::gifsicle(gifkit::encode(radar(false)), {"-O2"}),
    };
    return s[kind];
}

const char *kindName(int kind) { return kind == 0 ? "radar" : kind == 1 ? "noisy" : "radar-O2"; }

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

// Every frame into 8-bit indices.
void BM_Decode_Ours(benchmark::State &state) {
    const QByteArray &b = stream(int(state.range(0)));
    for (auto _ : state) {
        anigif::AniGifCore core;
        core.parse(b);
        core.allocate(true);
        core.decodeFrames(b, 1, core.frameCount());
        benchmark::DoNotOptimize(core.strip().constBits());
    }
    setPixels(state, b);
}

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

} // namespace

BENCHMARK(BM_Decode_Ours)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Decode_Giflib)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Decode_QImageReader)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Compress_Ours)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Compress_Giflib)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Paint_Ours)->Arg(0)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Paint_QMovie)->Arg(0)->Arg(2)->Unit(benchmark::kMicrosecond);

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
