#include "GifWriter.h"

#include <unordered_map>

namespace {

// Packs variable-width codes least significant bit first into 255-byte blocks.
class BitSink {
public:
    void put(int code, int width)
    {
        m_acc |= static_cast<quint32>(code) << m_bits;
        m_bits += width;
        while (m_bits >= 8) {
            m_data += static_cast<char>(m_acc & 0xFF);
            m_acc >>= 8;
            m_bits -= 8;
        }
    }
    QByteArray blocks()
    {
        if (m_bits > 0)
            m_data += static_cast<char>(m_acc & 0xFF);
        QByteArray out;
        for (qsizetype i = 0; i < m_data.size(); i += 255) {
            const qsizetype n = std::min<qsizetype>(255, m_data.size() - i);
            out += static_cast<char>(n);
            out += m_data.mid(i, n);
        }
        out += '\0';
        return out;
    }

private:
    QByteArray m_data;
    quint32 m_acc = 0;
    int m_bits = 0;
};

QByteArray lzw(const QImage &indexed)
{
    constexpr int kMinCodeSize = 8;
    constexpr int kClear = 1 << kMinCodeSize;
    constexpr int kEnd = kClear + 1;
    BitSink sink;
    std::unordered_map<int, int> dict;
    int width = kMinCodeSize + 1;
    int next = kEnd + 1;
    sink.put(kClear, width);
    int prefix = -1;
    for (int y = 0; y < indexed.height(); ++y) {
        const uchar *row = indexed.constScanLine(y);
        for (int x = 0; x < indexed.width(); ++x) {
            const int c = row[x];
            if (prefix < 0) {
                prefix = c;
                continue;
            }
            const int key = (prefix << 8) | c;
            auto it = dict.find(key);
            if (it != dict.end()) {
                prefix = it->second;
                continue;
            }
            sink.put(prefix, width);
            if (next == 4096) {
                sink.put(kClear, width);
                dict.clear();
                width = kMinCodeSize + 1;
                next = kEnd + 1;
            } else {
                dict[key] = next++;
                if (next > (1 << width) && width < 12)
                    ++width;
            }
            prefix = c;
        }
    }
    if (prefix >= 0)
        sink.put(prefix, width);
    sink.put(kEnd, width);
    return sink.blocks();
}

void put16(QByteArray &out, int v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

} // namespace

QByteArray encodeGif(const QImage &image)
{
    QImage indexed = image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    QList<QRgb> table = indexed.colorTable();
    table.resize(256, qRgb(0, 0, 0));

    QByteArray out("GIF89a");
    put16(out, indexed.width());
    put16(out, indexed.height());
    out += static_cast<char>(0xF7);   // global table of 256 colours, 8 bits per primary
    out += '\0';                      // background colour index
    out += '\0';                      // no aspect ratio
    for (QRgb c : table) {
        out += static_cast<char>(qRed(c));
        out += static_cast<char>(qGreen(c));
        out += static_cast<char>(qBlue(c));
    }
    out += ',';                       // image descriptor
    put16(out, 0);
    put16(out, 0);
    put16(out, indexed.width());
    put16(out, indexed.height());
    out += '\0';                      // no local table, not interlaced
    out += static_cast<char>(8);      // LZW minimum code size
    out += lzw(indexed);
    out += ';';
    return out;
}
