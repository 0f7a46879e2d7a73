#include "GifStream.h"

#include <algorithm>
#include <cstring>

namespace anigif {

namespace {

struct EndOfFile {};

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

} // namespace

int parseGif(const QByteArray &bytes, GifStream &out) {
    out.clear();
    // Offsets are kept in 32 bits.
    if (bytes.size() > 0x7fffffff - 1024) return 0;
    Reader r(bytes);
    int count = 0;
    {
        auto sig = r.bytes(6);
        if (!equalsIgnoringCase(sig, "gif89a") && !equalsIgnoringCase(sig, "gif87a")) return 0;
    }
    try {
        // The logical screen size is not used: the frames decide the size.
        r.setPos(10);
        const std::uint8_t packed = r.byte();
        out.headerPacked = packed;
        r.setPos(13);
        if (packed & 0x80) {
            out.localTableCount = 0;
            out.colorTables.resize(1);
            r.colorTable(out.colorTables[0], (packed & 7) + 1);
            out.hasGlobalTable = true;
        }
        FrameInfo pending;
        for (;;) {
            const std::uint8_t b = r.byte();
            if (b == 0) continue;  // stray zero bytes between blocks
            if (b == 0x21) {
                const std::uint8_t label = r.byte();
                if (label == 0xFF) {
                    const int size = r.byte();
                    auto id = r.bytes(size);
                    if (equalsIgnoringCase(id, "NETSCAPE2.0")) {
                        if (r.byte() == 3) {
                            r.setPos(r.pos() + 1);
                            out.loops = r.word();
                        } else {
                            r.setPos(r.pos() - 1);
                        }
                    }
                    r.skipSubBlocks();
                } else if (label == 0xF9) {
                    pending = FrameInfo();
                    pending.streamPos = int(r.pos() - 2);
                    r.byte();  // block size
                    const std::uint8_t p = r.byte();
                    pending.disposal = (p >> 2) & 3;
                    if (pending.disposal == 3 && count == 0) pending.disposal = 0;
                    pending.delayMs = r.word() * 10;
                    pending.hasTransparency = p & 1;
                    if (pending.hasTransparency)
                        pending.transIndex = r.byte();
                    else
                        r.setPos(pending.streamPos + 7);
                    r.skipSubBlocks();
                } else {
                    r.skipSubBlocks();
                }
            } else if (b == 0x2C) {
                BlockEntry entry;
                entry.start = int(r.pos() - 1);
                if (pending.streamPos < 0) pending.streamPos = entry.start;
                pending.left = r.word();
                pending.top = r.word();
                pending.width = r.word();
                pending.height = r.word();
                const std::uint8_t q = r.byte();
                if (q & 0x80) {
                    pending.paletteRow = out.localTableCount + 1;
                    if (int(out.colorTables.size()) < pending.paletteRow + 1)
                        out.colorTables.resize(pending.paletteRow + 1, ColorRow{});
                    r.colorTable(out.colorTables[pending.paletteRow], (q & 7) + 1);
                    out.localTableCount = pending.paletteRow;
                } else if (!out.hasGlobalTable) {
                    out.clear();
                    return 0;
                }
                r.byte();  // LZW minimum code size, read by the decoder
                r.skipSubBlocks();
                // The frame count is 16-bit signed.
                if (count == 32767) break;
                entry.length = int(std::min<qsizetype>(r.pos(), bytes.size()) - entry.start);
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
