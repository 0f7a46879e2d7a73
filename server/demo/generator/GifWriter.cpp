#include "GifWriter.h"

#include <QHash>
#include <QRect>

#include <algorithm>
#include <vector>

namespace cirrolith::demo {

namespace {

class BitPacker {
public:
    void put(int code, int width)
    {
        acc_ |= static_cast<quint32>(code) << bits_;
        bits_ += width;
        while (bits_ >= 8) {
            bytes_.append(static_cast<char>(acc_ & 0xff));
            acc_ >>= 8;
            bits_ -= 8;
        }
    }
    QByteArray finish()
    {
        if (bits_ > 0)
            bytes_.append(static_cast<char>(acc_ & 0xff));
        acc_ = 0;
        bits_ = 0;
        return bytes_;
    }

private:
    QByteArray bytes_;
    quint32 acc_ = 0;
    int bits_ = 0;
};

void putWord(QByteArray &out, int v)
{
    out.append(static_cast<char>(v & 0xff));
    out.append(static_cast<char>((v >> 8) & 0xff));
}

struct Palette {
    QList<QRgb> colours;
    QHash<QRgb, int> exact;     // empty when the uniform cube is used

    int indexOf(QRgb c) const
    {
        c |= 0xff000000u;
        if (!exact.isEmpty())
            return exact.value(c);
        // 6 x 7 x 6 cube: green gets the extra level, the eye is most sensitive to it.
        int r = (qRed(c) * 5 + 127) / 255, g = (qGreen(c) * 6 + 127) / 255, b = (qBlue(c) * 5 + 127) / 255;
        return (r * 7 + g) * 6 + b;
    }
};

Palette buildPalette(const QList<QImage> &frames)
{
    Palette p;
    for (const QImage &f : frames) {
        for (int y = 0; y < f.height(); ++y) {
            const QRgb *line = reinterpret_cast<const QRgb *>(f.constScanLine(y));
            for (int x = 0; x < f.width(); ++x) {
                QRgb c = line[x] | 0xff000000u;
                if (p.exact.contains(c))
                    continue;
                if (p.exact.size() == 256)
                    goto cube;
                p.exact.insert(c, static_cast<int>(p.colours.size()));
                p.colours.append(c);
            }
        }
    }
    return p;
cube:
    p.exact.clear();
    p.colours.clear();
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 7; ++g)
            for (int b = 0; b < 6; ++b)
                p.colours.append(qRgb(r * 255 / 5, g * 255 / 6, b * 255 / 5));
    return p;
}

} // namespace

QByteArray lzwEncode(const QByteArray &indices, int minCodeSize)
{
    const int clear = 1 << minCodeSize;
    const int endOfInfo = clear + 1;
    // dict[prefix * 256 + byte] = code + 1 (0 means absent)
    std::vector<quint16> dict(4096 * 256, 0);
    BitPacker bits;
    int width = minCodeSize + 1;
    int next = clear + 2;
    auto reset = [&] {
        std::fill(dict.begin(), dict.end(), 0);
        width = minCodeSize + 1;
        next = clear + 2;
    };

    bits.put(clear, width);
    int prefix = -1;
    for (char ch : indices) {
        int k = static_cast<unsigned char>(ch);
        if (prefix < 0) {
            prefix = k;
            continue;
        }
        quint16 &slot = dict[static_cast<size_t>(prefix) * 256 + k];
        if (slot) {
            prefix = slot - 1;
            continue;
        }
        bits.put(prefix, width);
        if (next == 4096) {
            bits.put(clear, width);
            reset();
        } else {
            slot = static_cast<quint16>(next + 1);
            ++next;
            if (next > (1 << width) && width < 12)
                ++width;
        }
        prefix = k;
    }
    if (prefix >= 0) {
        bits.put(prefix, width);
        // The decoder adds an entry for this last code and may widen before
        // reading the end code; follow it.
        if (next == (1 << width) && width < 12 && next > clear + 2)
            ++width;
    }
    bits.put(endOfInfo, width);

    QByteArray data = bits.finish();
    QByteArray out;
    out.append(static_cast<char>(minCodeSize));
    for (qsizetype pos = 0; pos < data.size(); pos += 255) {
        qsizetype n = std::min<qsizetype>(255, data.size() - pos);
        out.append(static_cast<char>(n));
        out.append(data.constData() + pos, n);
    }
    out.append('\0');
    return out;
}

QByteArray encodeGif(const QList<QImage> &inputFrames, const GifOptions &options)
{
    if (inputFrames.isEmpty())
        return {};
    const QSize size = inputFrames.first().size();
    QList<QImage> frames;
    for (const QImage &f : inputFrames)
        frames.append(f.convertToFormat(QImage::Format_RGB32).copy(QRect(QPoint(0, 0), size)));

    Palette pal = buildPalette(frames);
    int tableBits = 1;
    while ((1 << tableBits) < pal.colours.size())
        ++tableBits;
    const int tableSize = 1 << tableBits;
    const int minCodeSize = std::max(2, tableBits);

    QByteArray out("GIF89a");
    putWord(out, size.width());
    putWord(out, size.height());
    out.append(static_cast<char>(0x80 | (7 << 4) | (tableBits - 1)));
    out.append('\0');   // background colour index
    out.append('\0');   // no aspect ratio
    for (int i = 0; i < tableSize; ++i) {
        QRgb c = i < pal.colours.size() ? pal.colours[i] : 0;
        out.append(static_cast<char>(qRed(c)));
        out.append(static_cast<char>(qGreen(c)));
        out.append(static_cast<char>(qBlue(c)));
    }

    const bool animated = frames.size() > 1;
    if (animated) {
        out.append("\x21\xff\x0bNETSCAPE2.0\x03\x01", 16);
        putWord(out, options.loopCount);
        out.append('\0');
    }

    std::vector<quint8> previous;
    for (const QImage &f : frames) {
        std::vector<quint8> idx(static_cast<size_t>(size.width()) * size.height());
        for (int y = 0; y < size.height(); ++y) {
            const QRgb *line = reinterpret_cast<const QRgb *>(f.constScanLine(y));
            for (int x = 0; x < size.width(); ++x)
                idx[static_cast<size_t>(y) * size.width() + x] = static_cast<quint8>(pal.indexOf(line[x]));
        }

        QRect r(QPoint(0, 0), size);
        if (!previous.empty()) {
            int x0 = size.width(), y0 = size.height(), x1 = -1, y1 = -1;
            for (int y = 0; y < size.height(); ++y)
                for (int x = 0; x < size.width(); ++x) {
                    size_t i = static_cast<size_t>(y) * size.width() + x;
                    if (idx[i] != previous[i]) {
                        x0 = std::min(x0, x);
                        x1 = std::max(x1, x);
                        y0 = std::min(y0, y);
                        y1 = std::max(y1, y);
                    }
                }
            r = x1 < 0 ? QRect(0, 0, 1, 1) : QRect(QPoint(x0, y0), QPoint(x1, y1));
        }

        if (animated) {
            out.append("\x21\xf9\x04", 3);
            out.append(static_cast<char>(1 << 2));   // disposal: leave in place
            putWord(out, options.delayCentiseconds);
            out.append('\0');
            out.append('\0');
        }
        out.append('\x2c');
        putWord(out, r.x());
        putWord(out, r.y());
        putWord(out, r.width());
        putWord(out, r.height());
        out.append('\0');

        QByteArray sub;
        sub.reserve(r.width() * r.height());
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                sub.append(static_cast<char>(idx[static_cast<size_t>(y) * size.width() + x]));
        out.append(lzwEncode(sub, minCodeSize));
        previous = std::move(idx);
    }
    out.append('\x3b');
    return out;
}

} // namespace cirrolith::demo
