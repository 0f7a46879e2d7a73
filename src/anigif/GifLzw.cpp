#include "GifLzw.h"

#include <cstring>

namespace anigif {

std::size_t gatherSubBlocks(const std::uint8_t *p, std::size_t n, std::vector<std::uint8_t> &out) {
    out.clear();
    std::size_t i = 0;
    while (i < n) {
        const std::size_t len = p[i++];
        if (len == 0) break;
        const std::size_t take = len <= n - i ? len : n - i;
        out.insert(out.end(), p + i, p + i + take);
        i += take;
    }
    return i;
}

namespace {

inline std::uint64_t load64(const std::uint8_t *p) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}
inline void store64(std::uint8_t *p, std::uint64_t v) { std::memcpy(p, &v, 8); }

// Copies len bytes from src to dst where dst >= src + len is not required, only that the
// len bytes at src are not overwritten before they are read (dst - src >= len).
inline void copyString(std::uint8_t *dst, const std::uint8_t *src, std::size_t len) {
    std::size_t k = 0;
    do {
        store64(dst + k, load64(src + k));
        k += 8;
    } while (k < len);
}

} // namespace

std::size_t lzwDecode(const std::uint8_t *data, std::size_t n, int minCodeSize,
                      std::uint8_t *out, std::size_t outLen) {
    if (minCodeSize < 1 || minCodeSize > 8 || outLen == 0) return 0;
    const unsigned clear = 1u << minCodeSize;
    const unsigned endCode = clear + 1;

    // Every code above the end code names a string already in the output: its start and length.
    static thread_local std::uint32_t pos[4096];
    static thread_local std::uint16_t len[4096];

    unsigned codeSize = minCodeSize + 1;
    unsigned codeMask = (1u << codeSize) - 1;
    unsigned next = clear + 2;
    bool havePrev = false;
    std::uint32_t prevPos = 0;
    std::uint32_t prevLen = 0;

    std::uint64_t acc = 0;
    unsigned bits = 0;
    std::size_t in = 0;
    std::size_t o = 0;

    for (;;) {
        if (bits < codeSize) {
            if (in + 8 <= n) {
                acc |= load64(data + in) << bits;
                in += (63 - bits) >> 3;
                bits |= 56;
            } else {
                while (bits < codeSize && in < n) {
                    acc |= std::uint64_t(data[in++]) << bits;
                    bits += 8;
                }
                if (bits < codeSize) break;  // data ran out
            }
        }
        const unsigned code = unsigned(acc) & codeMask;
        acc >>= codeSize;
        bits -= codeSize;

        std::uint32_t curLen;
        if (code < clear) {
            out[o] = std::uint8_t(code);
            curLen = 1;
        } else if (code == clear) {
            codeSize = minCodeSize + 1;
            codeMask = (1u << codeSize) - 1;
            next = clear + 2;
            havePrev = false;
            continue;
        } else if (code == endCode) {
            break;
        } else if (!havePrev) {
            break;  // a string code before any string: invalid
        } else if (code < next) {
            curLen = len[code];
            copyString(out + o, out + pos[code], curLen);
        } else if (code == next && next < 4096) {
            // The string being defined: previous string plus its own first byte.
            curLen = prevLen + 1;
            copyString(out + o, out + prevPos, prevLen);
            out[o + prevLen] = out[prevPos];
        } else {
            break;  // a code not defined yet: the frame's data ends here
        }

        if (havePrev && next < 4096) {
            pos[next] = prevPos;
            len[next] = std::uint16_t(prevLen + 1);
            ++next;
            if ((next & codeMask) == 0 && codeSize < 12) {
                ++codeSize;
                codeMask = (1u << codeSize) - 1;
            }
        }
        havePrev = true;
        prevPos = std::uint32_t(o);
        prevLen = curLen;
        o += curLen;
        if (o >= outLen) return outLen;
    }
    return o;
}

namespace {

class CodeWriter {
public:
    explicit CodeWriter(std::vector<std::uint8_t> &out) : m_out(out) {}

    void emit(unsigned code, unsigned size) {
        m_acc |= std::uint64_t(code) << m_pending;
        m_pending += size;
        while (m_pending >= 8) {
            m_block[m_count++] = std::uint8_t(m_acc);
            m_acc >>= 8;
            m_pending -= 8;
            if (m_count == 254) writeBlock();
        }
    }
    void flush() {
        if (m_pending > 0) {
            m_block[m_count++] = std::uint8_t(m_acc);
            m_acc = 0;
            m_pending = 0;
            if (m_count == 254) writeBlock();
        }
        if (m_count > 0) writeBlock();
    }

private:
    void writeBlock() {
        m_out.push_back(std::uint8_t(m_count));
        m_out.insert(m_out.end(), m_block, m_block + m_count);
        m_count = 0;
    }

    std::vector<std::uint8_t> &m_out;
    std::uint64_t m_acc = 0;
    unsigned m_pending = 0;
    unsigned m_count = 0;
    std::uint8_t m_block[256];
};

} // namespace

void lzwCompress(const std::uint8_t *pixels, std::ptrdiff_t stride, int w, int h,
                 std::vector<std::uint8_t> &out) {
    constexpr int kHashSize = 5003;
    constexpr unsigned kClear = 256, kEnd = 257, kFirstFree = 258;
    constexpr int kShift = 4;

    std::vector<std::int32_t> hash(kHashSize, -1);
    std::vector<std::uint16_t> codes(kHashSize, 0);
    CodeWriter writer(out);
    out.reserve(out.size() + std::size_t(w) * h / 2 + 64);

    unsigned codeSize = 9;
    unsigned maxCode = 511;
    unsigned nextFree = kFirstFree;

    writer.emit(kClear, codeSize);
    if (w <= 0 || h <= 0) {
        writer.emit(kEnd, codeSize);
        writer.flush();
        return;
    }
    std::int32_t ent = pixels[0];
    bool first = true;
    for (int y = 0; y < h; ++y) {
        const std::uint8_t *row = pixels + stride * y;
        for (int x = 0; x < w; ++x) {
            if (first) {
                first = false;
                continue;
            }
            const std::int32_t c = row[x];
            const std::int32_t key = (c << 12) + ent;
            int i = (c << kShift) ^ ent;
            if (i >= kHashSize) i = 0;
            if (hash[i] == key) {
                ent = codes[i];
                continue;
            }
            if (hash[i] >= 0) {
                const int step = i == 0 ? 1 : kHashSize - i;
                bool found = false;
                do {
                    i -= step;
                    if (i < 0) i += kHashSize;
                    if (hash[i] == key) {
                        found = true;
                        break;
                    }
                } while (hash[i] > 0);
                if (found) {
                    ent = codes[i];
                    continue;
                }
            }
            writer.emit(unsigned(ent), codeSize);
            ent = c;
            const unsigned n = nextFree;
            codes[i] = std::uint16_t(n);
            hash[i] = key;
            if (n > maxCode) {
                if (n == 4096) {
                    writer.emit(kClear, codeSize);
                    std::fill(hash.begin(), hash.end(), -1);
                    codeSize = 9;
                    maxCode = 511;
                    nextFree = kFirstFree;
                } else {
                    ++codeSize;
                    maxCode = (1u << codeSize) - 1;
                    nextFree = n + 1;
                }
            } else {
                nextFree = n + 1;
            }
        }
    }
    writer.emit(unsigned(ent), codeSize);
    writer.emit(kEnd, codeSize);
    writer.flush();
}

} // namespace anigif
