#include "GifStream.h"

#include <algorithm>
#include <cstring>

namespace anigif {

namespace {

struct EndOfFile {};

constexpr std::uint8_t kExtensionIntroducer = 0x21;
constexpr std::uint8_t kApplicationLabel = 0xFF;
constexpr std::uint8_t kGraphicControlLabel = 0xF9;
constexpr std::uint8_t kImageSeparator = 0x2C;
// The frame count is 16-bit signed.
constexpr int kMaxFrames = 32767;

// The readers of the stream; running out of bytes throws EndOfFile, which ends the parse.
class Reader {
public:
    explicit Reader(const QByteArray &b)
        : m_p(reinterpret_cast<const std::uint8_t *>(b.constData())), m_n(b.size()) {}

    std::uint8_t byte() {
        if (m_pos >= m_n) throw EndOfFile{};
        return m_p[m_pos++];
    }
    int word() {
        if (m_pos + 1 >= m_n) throw EndOfFile{};
        int v = m_p[m_pos] | (m_p[m_pos + 1] << 8);
        m_pos += 2;
        return v;
    }
    // n bytes, or n zero bytes (position unchanged) when fewer remain.
    std::vector<std::uint8_t> bytes(int n) {
        std::vector<std::uint8_t> v(std::max(n, 0), 0);
        if (n <= 0 || m_pos + n > m_n) return v;
        std::memcpy(v.data(), m_p + m_pos, n);
        m_pos += n;
        return v;
    }
    void colorTable(ColorRow &row, int exponent) {
        const int count = 1 << exponent;
        // One byte beyond the table must exist.
        if (m_n - 1 < m_pos + 3 * count) throw EndOfFile{};
        row.fill(0);
        for (int i = 0; i < count; ++i) {
            const std::uint8_t *c = m_p + m_pos + 3 * i;
            row[i] = (std::uint32_t(c[0]) << 16) | (std::uint32_t(c[1]) << 8) | c[2];
        }
        row[256] = count;
        m_pos += 3 * count;
    }
    void skipSubBlocks() {
        while (m_pos < m_n && m_p[m_pos] != 0) m_pos += qsizetype(m_p[m_pos]) + 1;
        m_pos += 1;
    }
    qsizetype pos() const { return m_pos; }
    qsizetype size() const { return m_n; }
    void setPos(qsizetype p) { m_pos = p; }

private:
    const std::uint8_t *m_p;
    qsizetype m_n;
    qsizetype m_pos = 0;
};

bool equalsIgnoringCase(const std::vector<std::uint8_t> &got, const char *want) {
    const std::size_t n = std::strlen(want);
    if (got.size() != n) return false;
    for (std::size_t i = 0; i < n; ++i) {
        char a = char(got[i]);
        if (a >= 'A' && a <= 'Z') a = char(a - 'A' + 'a');
        char b = want[i];
        if (b >= 'A' && b <= 'Z') b = char(b - 'A' + 'a');
        if (a != b) return false;
    }
    return true;
}

// Header: signature and version, "GIF87a" or "GIF89a" in any letter case.
bool readSignature(Reader &r) {
    const auto sig = r.bytes(6);
    return equalsIgnoringCase(sig, "gif89a") || equalsIgnoringCase(sig, "gif87a");
}

// Logical screen descriptor, then the global colour table when there is one.
void readLogicalScreen(Reader &r, GifStream &out) {
    // Bytes 6..9, the screen's width and height, are not used: the frames decide the size.
    r.setPos(10);
    // Bit 7 global table present, bits 4..6 colour resolution, bit 3 sorted,
    // bits 0..2 the table's size exponent less one.
    const std::uint8_t packed = r.byte();
    out.headerPacked = packed;
    // Bytes 11 and 12, background colour index and pixel aspect ratio, are skipped.
    r.setPos(13);
    if (packed & 0x80) {
        out.localTableCount = 0;
        out.colorTables.resize(1);
        r.colorTable(out.colorTables[0], (packed & 7) + 1);
        out.hasGlobalTable = true;
    }
}

// Application extension, after its introducer and label: the identifier, then data
// sub-blocks. A "NETSCAPE2.0" block's first sub-block carries the loop count.
void readApplicationExtension(Reader &r, GifStream &out) {
    const int size = r.byte();  // identifier plus authentication code, 11 bytes
    const auto id = r.bytes(size);
    if (equalsIgnoringCase(id, "NETSCAPE2.0")) {
        if (r.byte() == 3) {           // sub-block length
            r.setPos(r.pos() + 1);     // sub-block id
            out.loops = r.word();      // loop count; 0 = endless
        } else {
            r.setPos(r.pos() - 1);
        }
    }
    r.skipSubBlocks();
}

// Graphic control extension, after its introducer and label: how the next image is
// shown. A second one before the same image replaces the first.
void readGraphicControl(Reader &r, int framesSoFar, FrameInfo &pending) {
    pending = FrameInfo();
    pending.streamPos = int(r.pos() - 2);  // the introducer
    r.byte();  // block size, 4
    // Bits 2..4 disposal, of which two bits are kept; bit 1 user input; bit 0 transparency.
    const std::uint8_t p = r.byte();
    pending.disposal = (p >> 2) & 3;
    // There is nothing before the first frame to restore.
    if (pending.disposal == 3 && framesSoFar == 0) pending.disposal = 0;
    pending.delayMs = r.word() * 10;  // stored in hundredths of a second
    pending.hasTransparency = p & 1;
    if (pending.hasTransparency)
        pending.transIndex = r.byte();  // transparent colour index
    else
        r.setPos(pending.streamPos + 7);  // over the unused index, to the terminator
    r.skipSubBlocks();
}

// Image descriptor, after its separator, with the local colour table, the LZW minimum
// code size and the image data; fills `pending` and `entry`. False when the image has
// no colour table to use, which fails the whole load.
bool readImage(Reader &r, GifStream &out, FrameInfo &pending, BlockEntry &entry) {
    entry.start = int(r.pos() - 1);
    if (pending.streamPos < 0) pending.streamPos = entry.start;  // no graphic control extension
    pending.left = r.word();  // position on the logical screen
    pending.top = r.word();
    pending.width = r.word();
    pending.height = r.word();
    // Bit 7 local table present, bit 6 interlaced (the decoder's business), bit 5 sorted,
    // bits 0..2 the table's size exponent less one.
    const std::uint8_t q = r.byte();
    if (q & 0x80) {
        pending.paletteRow = out.localTableCount + 1;
        if (int(out.colorTables.size()) < pending.paletteRow + 1)
            out.colorTables.resize(pending.paletteRow + 1, ColorRow{});
        r.colorTable(out.colorTables[pending.paletteRow], (q & 7) + 1);
        out.localTableCount = pending.paletteRow;
    } else if (!out.hasGlobalTable) {
        return false;
    }
    r.byte();  // LZW minimum code size, read by the decoder
    r.skipSubBlocks();  // the image data; a block running past the end keeps what is there
    entry.length = int(std::min<qsizetype>(r.pos(), r.size()) - entry.start);
    return true;
}

} // namespace

int parseGif(const QByteArray &bytes, GifStream &out) {
    out.clear();
    // Offsets are kept in 32 bits.
    if (bytes.size() > 0x7fffffff - 1024) return 0;
    Reader r(bytes);
    if (!readSignature(r)) return 0;
    int count = 0;
    try {
        readLogicalScreen(r, out);
        FrameInfo pending;
        for (;;) {
            const std::uint8_t b = r.byte();
            if (b == 0) continue;  // stray zero bytes between blocks
            if (b == kExtensionIntroducer) {
                const std::uint8_t label = r.byte();
                if (label == kApplicationLabel)
                    readApplicationExtension(r, out);
                else if (label == kGraphicControlLabel)
                    readGraphicControl(r, count, pending);
                else
                    r.skipSubBlocks();  // comment, plain text or unknown
            } else if (b == kImageSeparator) {
                BlockEntry entry;
                if (!readImage(r, out, pending, entry)) {
                    out.clear();
                    return 0;
                }
                if (count == kMaxFrames) break;
                if (entry.length > 2) {
                    ++count;
                    out.frames.push_back(pending);
                    out.blockTable.push_back(entry);
                    out.width = std::max(out.width, pending.left + pending.width);
                    out.height = std::max(out.height, pending.top + pending.height);
                }
                pending = FrameInfo();
            } else {
                break;  // trailer or anything unknown
            }
        }
    } catch (const EndOfFile &) {
    }
    if (count == 0) out.clear();
    return count;
}

} // namespace anigif
