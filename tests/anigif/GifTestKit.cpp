#include "GifTestKit.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <gif_lib.h>

#include "AniGifCore.h"

namespace gifkit {

namespace {

struct Sink {
    QByteArray bytes;
};

int writeFn(GifFileType *gif, const GifByteType *data, int len) {
    static_cast<Sink *>(gif->UserData)->bytes.append(reinterpret_cast<const char *>(data), len);
    return len;
}

struct Source {
    const QByteArray *bytes;
    qsizetype pos = 0;
};

int readFn(GifFileType *gif, GifByteType *data, int len) {
    auto *s = static_cast<Source *>(gif->UserData);
    const qsizetype n = std::min<qsizetype>(len, s->bytes->size() - s->pos);
    if (n <= 0) return 0;
    std::memcpy(data, s->bytes->constData() + s->pos, size_t(n));
    s->pos += n;
    return int(n);
}

ColorMapObject *makeMap(const std::vector<std::uint32_t> &pal) {
    int n = 2;
    while (n < int(pal.size())) n *= 2;
    std::vector<GifColorType> c(n, GifColorType{0, 0, 0});
    for (size_t i = 0; i < pal.size(); ++i)
        c[i] = GifColorType{GifByteType(pal[i] >> 16), GifByteType(pal[i] >> 8), GifByteType(pal[i])};
    return GifMakeMapObject(n, c.data());
}

std::vector<int> rowOrder(int h, bool interlaced) {
    std::vector<int> rows;
    if (!interlaced) {
        for (int y = 0; y < h; ++y) rows.push_back(y);
        return rows;
    }
    const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
    for (int p = 0; p < 4; ++p)
        for (int y = start[p]; y < h; y += step[p]) rows.push_back(y);
    return rows;
}

} // namespace

std::vector<std::uint32_t> palette(int n, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<std::uint32_t> p;
    while (int(p.size()) < n) {
        const std::uint32_t c = rng() & 0xFFFFFF;
        if (std::find(p.begin(), p.end(), c) == p.end()) p.push_back(c);
    }
    return p;
}

QByteArray encode(const Animation &a) {
    Sink sink;
    int err = 0;
    GifFileType *gif = EGifOpen(&sink, writeFn, &err);
    if (!gif) return {};
    EGifSetGifVersion(gif, true);
    ColorMapObject *global = a.globalPalette.empty() ? nullptr : makeMap(a.globalPalette);
    EGifPutScreenDesc(gif, a.screenWidth, a.screenHeight, 8, 0, global);
    if (a.loops) {
        const unsigned char id[] = "NETSCAPE2.0";
        const unsigned char sub[] = {1, std::uint8_t(*a.loops & 0xFF), std::uint8_t(*a.loops >> 8)};
        EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE);
        EGifPutExtensionBlock(gif, 11, id);
        EGifPutExtensionBlock(gif, 3, sub);
        EGifPutExtensionTrailer(gif);
    }
    for (const Frame &f : a.frames) {
        if (f.gce) {
            const unsigned char ext[4] = {
                std::uint8_t(((f.disposal & 7) << 2) | (f.transparent >= 0 ? 1 : 0)),
                std::uint8_t(f.delayCs & 0xFF), std::uint8_t(f.delayCs >> 8),
                std::uint8_t(f.transparent >= 0 ? f.transparent : 0)};
            EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext);
        }
        ColorMapObject *local = f.localPalette.empty() ? nullptr : makeMap(f.localPalette);
        EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, f.interlaced, local);
        if (local) GifFreeMapObject(local);
        std::vector<GifPixelType> line(f.width);
        for (int y : rowOrder(f.height, f.interlaced)) {
            std::memcpy(line.data(), f.pixels.data() + size_t(y) * f.width, f.width);
            EGifPutLine(gif, line.data(), f.width);
        }
    }
    if (global) GifFreeMapObject(global);
    EGifCloseFile(gif, &err);
    return sink.bytes;
}

Reference referenceDecode(const QByteArray &bytes) {
    Reference ref;
    Source src{&bytes};
    int err = 0;
    GifFileType *gif = DGifOpen(&src, readFn, &err);
    if (!gif) return ref;
    struct Img {
        int left, top, w, h;
        std::vector<std::uint8_t> px;
        std::vector<std::uint32_t> pal;
        int disposal, trans;
        int rows;
    };
    std::vector<Img> imgs;
    std::vector<std::uint32_t> globalPal;
    if (gif->SColorMap)
        for (int i = 0; i < gif->SColorMap->ColorCount; ++i) {
            const GifColorType c = gif->SColorMap->Colors[i];
            globalPal.push_back((c.Red << 16) | (c.Green << 8) | c.Blue);
        }
    int disposal = 0, trans = -1;
    bool done = false;
    while (!done) {
        GifRecordType type;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR) break;
        switch (type) {
        case IMAGE_DESC_RECORD_TYPE: {
            if (DGifGetImageDesc(gif) == GIF_ERROR) {
                done = true;
                break;
            }
            const GifImageDesc &d = gif->Image;
            Img img{d.Left, d.Top, d.Width, d.Height, {}, {}, disposal, trans, 0};
            if (d.ColorMap) {
                for (int i = 0; i < d.ColorMap->ColorCount; ++i) {
                    const GifColorType c = d.ColorMap->Colors[i];
                    img.pal.push_back((c.Red << 16) | (c.Green << 8) | c.Blue);
                }
            } else {
                img.pal = globalPal;
            }
            img.px.assign(size_t(d.Width) * d.Height, 0);
            std::vector<GifPixelType> line(d.Width + 1);
            bool ok = true;
            for (int y : rowOrder(d.Height, d.Interlace)) {
                if (DGifGetLine(gif, line.data(), d.Width) == GIF_ERROR) {
                    ok = false;
                    break;
                }
                std::memcpy(img.px.data() + size_t(y) * d.Width, line.data(), d.Width);
                ++img.rows;
            }
            if (imgs.empty() && img.disposal == 3) img.disposal = 0;
            imgs.push_back(std::move(img));
            disposal = 0;
            trans = -1;
            if (!ok) done = true;
            break;
        }
        case EXTENSION_RECORD_TYPE: {
            int code = 0;
            GifByteType *ext = nullptr;
            if (DGifGetExtension(gif, &code, &ext) == GIF_ERROR) {
                done = true;
                break;
            }
            if (code == GRAPHICS_EXT_FUNC_CODE && ext && ext[0] >= 4) {
                disposal = (ext[1] >> 2) & 3;
                trans = (ext[1] & 1) ? ext[4] : -1;
            }
            while (ext) {
                if (DGifGetExtensionNext(gif, &ext) == GIF_ERROR) {
                    done = true;
                    break;
                }
            }
            break;
        }
        default:
            done = true;
            break;
        }
    }
    DGifCloseFile(gif, &err);

    for (const Img &i : imgs) {
        ref.width = std::max(ref.width, i.left + i.w);
        ref.height = std::max(ref.height, i.top + i.h);
    }
    if (ref.width == 0 || ref.height == 0) return ref;
    QImage canvas(ref.width, ref.height, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(0);
    for (const Img &i : imgs) {
        const QImage before = canvas.copy();
        for (int y = 0; y < i.h; ++y) {
            auto *row = reinterpret_cast<std::uint32_t *>(canvas.scanLine(i.top + y));
            for (int x = 0; x < i.w; ++x) {
                const int idx = i.px[size_t(y) * i.w + x];
                if (idx == i.trans) continue;
                const std::uint32_t rgb = idx < int(i.pal.size()) ? i.pal[idx] : 0;
                row[i.left + x] = 0xFF000000u | rgb;
            }
        }
        ref.frames.push_back(canvas.copy());
        ref.completeRows.push_back(i.rows);
        for (int y = 0; y < i.h; ++y) {
            auto *row = reinterpret_cast<std::uint32_t *>(canvas.scanLine(i.top + y)) + i.left;
            const auto *old = reinterpret_cast<const std::uint32_t *>(before.constScanLine(i.top + y)) + i.left;
            if (i.disposal == 2) std::fill(row, row + i.w, 0u);
            if (i.disposal == 3) std::copy(old, old + i.w, row);
        }
    }
    return ref;
}

QByteArray gifsicle(const QByteArray &input, const QStringList &args) {
    QTemporaryDir dir;
    const QString in = dir.filePath("in.gif"), out = dir.filePath("out.gif");
    QFile f(in);
    if (!f.open(QIODevice::WriteOnly) || f.write(input) != input.size()) return {};
    f.close();
    QProcess p;
    p.start("gifsicle", QStringList(args) << in << "-o" << out);
    if (!p.waitForFinished(60000) || p.exitCode() != 0) return {};
    QFile o(out);
    if (!o.open(QIODevice::ReadOnly)) return {};
    return o.readAll();
}

Animation randomAnimation(std::mt19937 &rng, int maxSide, int maxFrames) {
    auto uni = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    Animation a;
    a.screenWidth = uni(1, maxSide);
    a.screenHeight = uni(1, maxSide);
    const bool withGlobal = uni(0, 4) != 0;
    const int globalBits = uni(1, 8);
    if (withGlobal) a.globalPalette = palette(1 << globalBits, rng());
    if (uni(0, 1)) a.loops = uni(0, 5);
    const int n = uni(1, maxFrames);
    for (int k = 0; k < n; ++k) {
        Frame f;
        f.width = uni(1, a.screenWidth);
        f.height = uni(1, a.screenHeight);
        f.left = uni(0, a.screenWidth - f.width);
        f.top = uni(0, a.screenHeight - f.height);
        int colours = 1 << globalBits;
        if (!withGlobal || uni(0, 3) == 0) {
            const int bits = uni(1, 8);
            colours = 1 << bits;
            f.localPalette = palette(colours, rng());
        }
        f.disposal = uni(0, 3);
        f.delayCs = uni(0, 20);
        if (uni(0, 1)) f.transparent = uni(0, colours - 1);
        f.interlaced = uni(0, 3) == 0;
        f.pixels.resize(size_t(f.width) * f.height);
        const int style = uni(0, 2);
        int run = 0, value = 0;
        for (auto &p : f.pixels) {
            if (style == 0) {
                p = std::uint8_t(uni(0, colours - 1));
            } else {
                if (run-- <= 0) {
                    run = uni(0, style == 1 ? 12 : 200);
                    value = uni(0, colours - 1);
                }
                p = std::uint8_t(value);
            }
        }
        a.frames.push_back(std::move(f));
    }
    return a;
}

std::vector<QImage> controlFrames(const QByteArray &bytes, int *width, int *height) {
    anigif::AniGifCore core;
    std::vector<QImage> out;
    if (core.parse(bytes) == 0 || !core.allocate(true)) return out;
    core.decodeFrames(bytes, 1, core.frameCount());
    if (width) *width = core.width();
    if (height) *height = core.height();
    anigif::RenderParams rp;
    rp.clientWidth = core.width();
    rp.clientHeight = core.height();
    for (int f = 1; f <= core.frameCount(); ++f) {
        QImage img(core.width(), core.height(), QImage::Format_ARGB32_Premultiplied);
        img.fill(0);
        QPainter p(&img);
        core.renderFrame(f, p, rp);
        p.end();
        out.push_back(img);
    }
    return out;
}

std::string diff(const QImage &a, const QImage &b) {
    if (a.size() != b.size())
        return "size " + std::to_string(a.width()) + "x" + std::to_string(a.height()) + " vs " +
               std::to_string(b.width()) + "x" + std::to_string(b.height());
    const QImage x = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int r = 0; r < x.height(); ++r) {
        const auto *p = reinterpret_cast<const std::uint32_t *>(x.constScanLine(r));
        const auto *q = reinterpret_cast<const std::uint32_t *>(y.constScanLine(r));
        for (int c = 0; c < x.width(); ++c)
            if (p[c] != q[c]) {
                char buf[96];
                std::snprintf(buf, sizeof buf, "pixel (%d,%d): %08x vs %08x", c, r, p[c], q[c]);
                return buf;
            }
    }
    return {};
}

} // namespace gifkit
