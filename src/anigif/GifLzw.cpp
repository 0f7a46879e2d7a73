#include "GifLzw.h"

#include <algorithm>
#include <cstring>

namespace anigif {

std::size_t gatherSubBlocks(const std::uint8_t *p, std::size_t n, std::vector<std::uint8_t> &out) {
    out.clear();
    out.reserve(n);  // the data is never longer than what is left of the stream
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

// Copies a string of len bytes in 16-byte steps. The steps may write up to 15 bytes past
// dst + len and read up to 15 past src + len; the string at src must end before dst
// (dst - src >= len), so every byte is read before anything overwrites it.
inline void copyString(std::uint8_t *dst, const std::uint8_t *src, std::size_t len) {
    std::uint8_t chunk[16];
    std::size_t k = 0;
    do {
        std::memcpy(chunk, src + k, 16);
        std::memcpy(dst + k, chunk, 16);
        k += 16;
    } while (k < len);
}

// The single-byte strings, padded for the 16-byte copies.
struct Literals {
    std::uint8_t bytes[256 + 16];
    constexpr Literals() : bytes() {
        for (int i = 0; i < 256; ++i) bytes[i] = std::uint8_t(i);
    }
};
constexpr Literals kLiterals;

constexpr unsigned kMaxCodes = 4096;

} // namespace

std::size_t lzwDecode(const std::uint8_t *data, std::size_t n, int minCodeSize,
                      std::uint8_t *out, std::size_t outLen) {
    if (minCodeSize < 1 || minCodeSize > 8 || outLen == 0) return 0;
    const unsigned clear = 1u << minCodeSize;

    // Each code knows where its whole string lies (earlier output, or the literal bytes) and
    // its length, so a code costs one wide copy, not a walk down a prefix chain. Length 0
    // marks the clear and end codes and every code not defined yet, which keeps them all
    // off the common path with a single test. Slot kMaxCodes takes the writes made while
    // the table is full.
    const std::uint8_t *src[kMaxCodes + 1];
    std::uint16_t len[kMaxCodes + 1];
    for (unsigned c = 0; c < clear; ++c) {
        src[c] = kLiterals.bytes + c;
        len[c] = 1;
    }
    std::memset(len + clear, 0, sizeof(len) - clear * sizeof(len[0]));

    unsigned codeSize = minCodeSize + 1;
    unsigned codeMask = (1u << codeSize) - 1;
    unsigned next = clear + 2;
    const std::uint8_t *prevSrc = nullptr;
    unsigned prevLen = 0;  // 0: no string since the last clear

    std::uint64_t acc = 0;
    unsigned bits = 0;
    std::size_t in = 0;
    std::size_t o = 0;

    // Decodes one code from the bit buffer, which holds at least codeSize bits.
    // Returns false when the frame's data ends here.
    auto step = [&]() -> bool {
        const unsigned code = unsigned(acc) & codeMask;
        acc >>= codeSize;
        bits -= codeSize;
        std::uint8_t *const d = out + o;
        unsigned l = len[code];
        if (l != 0 && prevLen != 0) [[likely]] {
            copyString(d, src[code], l);
        } else if (code == clear) {
            std::memset(len + clear + 2, 0, (next - clear - 2) * sizeof(len[0]));
            codeSize = minCodeSize + 1;
            codeMask = (1u << codeSize) - 1;
            next = clear + 2;
            prevLen = 0;
            return true;
        } else if (prevLen == 0) {
            // After a clear only a single byte may come; anything else is invalid.
            if (code >= clear) return false;
            *d = std::uint8_t(code);
            prevSrc = d;
            prevLen = 1;
            if (++o >= outLen) return false;
            return true;
        } else if (code == next) {
            // The string being defined: the previous one plus its own first byte.
            copyString(d, prevSrc, prevLen);
            d[prevLen] = prevSrc[0];
            l = prevLen + 1;
        } else {
            return false;  // the end code, or a code not defined yet
        }
        src[next] = prevSrc;
        len[next] = std::uint16_t(prevLen + 1);
        next += next < kMaxCodes;
        if (next > codeMask && codeSize < 12) [[unlikely]] {
            ++codeSize;
            codeMask = (1u << codeSize) - 1;
        }
        prevSrc = d;
        prevLen = l;
        o += l;
        return o < outLen;
    };

    // While eight input bytes remain, one refill gives at least 56 bits: four codes.
    while (in + 8 <= n) {
        acc |= load64(data + in) << bits;
        in += (63 - bits) >> 3;
        bits |= 56;
        if (!step() || !step() || !step() || !step()) return std::min(o, outLen);
    }
    for (;;) {
        while (bits < codeSize && in < n) {
            acc |= std::uint64_t(data[in++]) << bits;
            bits += 8;
        }
        if (bits < codeSize) break;  // data ran out
        if (!step()) break;
    }
    return std::min(o, outLen);
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
