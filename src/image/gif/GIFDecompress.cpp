// Approach. GIF pixel data is variable-length LZW: codes of up to 12 bits,
// packed least significant bit first into data sub-blocks of 1..255 bytes,
// with a clear code (reset the table) and an end code. The classic decoder
// keeps a prefix/suffix table, walks a code's prefix chain onto a stack and
// pops one pixel at a time. This one gives the same pixels faster: each new
// table entry is the previous string plus the first byte of the current one,
// and those bytes already stand side by side in the output. So an entry is
// kept as a run (start, length) of the output, a root as a one-byte run of a
// fixed table, and a code is decoded by copying its run in 8- or 16-byte
// pieces instead of walking a chain.
//
// That holds while the table is well formed, each entry made from codes that
// existed when it was made. Damaged data can break it (a code beyond the next
// free entry, a first code after a clear code that is not a root); from there
// to the next clear code the decoder walks prefix chains as the classic one
// does, with the same results. No chain can be longer than the table without
// revisiting an entry, so a longer one raises "Circular decoder table entry",
// which bounds the walk and its stack.
//
// Codes come from a 64-bit accumulator topped up from the current sub-block
// and carried across sub-block boundaries, so sub-blocks of any length, even
// 1 byte, read correctly. After the last pixel, an end code or data that runs
// out, the rest of the data sub-blocks is skipped up to the zero-length
// terminator, so the next block is read from the right byte.
#include "image/gif/GIFDecompress.h"

#include "image/gif/GIFException.h"
#include "image/gif/GIFStreamUtils.h"
#include "image/gif/TGIFGraphicControlExtension.h"
#include "image/gif/TGIFImage.h"
#include "image/gif/TGIFSubImage.h"

#include <QIODevice>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace image {

namespace {

constexpr int MaxCodeBits = 12;
constexpr int TableSize = 1 << MaxCodeBits;
constexpr int MaxSetCodeSize = 8;
// A run is copied in pieces of this many bytes; the output must have room
// for the whole last piece, else the copy goes byte by byte.
constexpr int CopyPiece = 16;

// The runs of the root codes: byte i holds i (with room for a whole piece
// after the last).
constexpr std::array<uint8_t, 256 + CopyPiece> Roots = [] {
    std::array<uint8_t, 256 + CopyPiece> a{};
    for (int i = 0; i < 256; ++i) a[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    return a;
}();

// Hands out the data sub-blocks one at a time.
class TSubBlockSource {
public:
    TSubBlockSource(QIODevice& stream, TGIFSubImage& frame) : m_stream(stream), m_frame(frame) {
        if (TGIFImage* image = frame.GIFImage()) m_used = image->OnInputUsed();
    }

    const uint8_t* Block() const { return m_block; }

    // Reads the next sub-block into Block() and returns its length; 0 at the
    // terminator or when the data ends (a sub-block cut short warns
    // "Premature end of data" and gives what there is).
    Q_DECL_COLD_FUNCTION int Next() {
        if (m_terminated || m_ended) return 0;
        uint8_t size;
        if (!TryReadByte(m_stream, size)) {
            m_ended = true;
            return 0;
        }
        if (size == 0) {
            m_terminated = true;
            return 0;
        }
        const int64_t got = std::max<int64_t>(0, m_stream.read(reinterpret_cast<char*>(m_block), size));
        if (got < size) {
            m_frame.Warning(TGIFSeverity::Warning, SPrematureEOF);
            m_ended = true;
        }
        // The decoder never goes back: what it read is done with.
        if (m_used) m_used(m_stream.pos());
        return static_cast<int>(got);
    }

    // The codes ran out before the last pixel. The data's own terminator
    // there is worth a warning; a stream that simply ends is not.
    Q_DECL_COLD_FUNCTION void RanOut() {
        if (m_terminated && !m_warned) {
            m_warned = true;
            m_frame.Warning(TGIFSeverity::Warning, SDecoderUnderrun);
        }
    }

    // Skips what is left of the data, up to and including the terminator.
    void SkipRest() {
        while (!m_terminated && !m_ended) {
            uint8_t size;
            if (!TryReadByte(m_stream, size)) m_ended = true;
            else if (size == 0) m_terminated = true;
            else if (SkipBytes(m_stream, size) < size) m_ended = true;
        }
    }

private:
    QIODevice& m_stream;
    TGIFSubImage& m_frame;
    std::function<void(qint64)> m_used;
    // 8 spare bytes let the bit reader load 8 bytes at a time.
    uint8_t m_block[255 + 8] = {};
    bool m_terminated = false;  // the zero-length block was read
    bool m_ended = false;       // the stream ended (or broke off) before it
    bool m_warned = false;
};

// The bit accumulator, a local of the decoding loop so that its state stays
// in registers.
class TBitReader {
public:
    explicit TBitReader(TSubBlockSource& source) : m_source(source) {}

    // The next code of `bits` (1..12) bits; -1 when the data has run out.
    Q_ALWAYS_INLINE int Get(int bits) {
        if (m_count < bits && !Refill(bits)) return -1;
        const int code = static_cast<int>(m_acc & ((1u << bits) - 1));
        m_acc >>= bits;
        m_count -= bits;
        return code;
    }

private:
    // Tops the accumulator up from the current sub-block and, when that
    // runs dry, from the next ones; false when fewer than `bits` bits are
    // left.
    Q_ALWAYS_INLINE bool Refill(int bits) {
        for (;;) {
            if (m_left >= 8) {
                // Take whole bytes of an 8-byte load. The bytes not taken
                // also land above m_count, at the places where they will be
                // taken later, so OR-ing them in again changes nothing.
                uint64_t word;
                std::memcpy(&word, m_next, 8);
                m_acc |= qFromLittleEndian(word) << m_count;
                const int take = (63 - m_count) >> 3;
                m_next += take;
                m_left -= take;
                m_count += take * 8;
            } else {
                while (m_left > 0 && m_count <= 56) {
                    m_acc |= uint64_t(*m_next++) << m_count;
                    --m_left;
                    m_count += 8;
                }
            }
            if (m_count >= bits) return true;
            if (m_left == 0) {
                m_left = m_source.Next();
                m_next = m_source.Block();
                if (m_left == 0) {
                    m_source.RanOut();
                    return false;
                }
            }
        }
    }

    TSubBlockSource& m_source;
    uint64_t m_acc = 0;  // bits not yet handed out, lowest first
    int m_count = 0;     // how many
    const uint8_t* m_next = nullptr;
    int m_left = 0;  // bytes left in the current sub-block
};

// Copies the first min(len, room) bytes of `src` to `dst`. The two runs do
// not overlap within `len` (src + len <= dst); bytes past `len` up to the
// next piece boundary may be overwritten when room allows.
Q_ALWAYS_INLINE void CopyRun(uint8_t* dst, const uint8_t* src, int len, int64_t room) {
    if (len <= 8 && room >= 8) {
        uint64_t piece;
        std::memcpy(&piece, src, 8);
        std::memcpy(dst, &piece, 8);
    } else if (((len + CopyPiece - 1) & ~(CopyPiece - 1)) <= room) {
        for (int i = 0; i < len; i += CopyPiece) {
            uint8_t piece[CopyPiece];
            std::memcpy(piece, src + i, CopyPiece);
            std::memcpy(dst + i, piece, CopyPiece);
        }
    } else {
        std::memmove(dst, src, static_cast<size_t>(std::min<int64_t>(len, room)));
    }
}

class TLZWDecoder {
public:
    TLZWDecoder(TSubBlockSource& source, int setCodeSize)
        : m_source(source),
          m_setCodeSize(setCodeSize),
          m_clearCode(1 << setCodeSize),
          m_endCode(m_clearCode + 1) {}

    // Decodes into out[0..total) and returns how many pixels the data
    // reached; the bytes after them keep their value, except that up to
    // CopyPiece - 1 of them may have been overwritten.
    int64_t Decode(uint8_t* __restrict out, int64_t total);

private:
    // Decoder state that the chain walk shares with the main loop.
    struct TState {
        int CodeSize;
        int MaxCode;      // the next free entry
        int MaxCodeSize;  // 2^CodeSize
        int OldCode;      // the previous code
        int FirstCode;    // the first value of the previous string
        int64_t Pos;      // pixels written
    };

    // Decodes one code (neither the clear nor the end code) by walking its
    // prefix chain, as the classic decoder does.
    void WalkChain(TState& s, int code, uint8_t* out, int64_t total);

    TSubBlockSource& m_source;
    const int m_setCodeSize;
    const int m_clearCode;
    const int m_endCode;
    uint16_t m_prefix[TableSize];
    uint16_t m_suffix[TableSize];
    const uint8_t* m_run[TableSize];  // where the entry's run starts (in the output, or Roots)
    uint16_t m_length[TableSize];     // and its length
    uint16_t m_stack[2 * TableSize];
};

void TLZWDecoder::WalkChain(TState& s, int code, uint8_t* out, int64_t total) {
    const int inCode = code;
    int sp = 0;
    if (code >= s.MaxCode) {
        m_stack[sp++] = static_cast<uint16_t>(s.FirstCode);
        code = s.OldCode;
    }
    for (int steps = 0; code >= m_clearCode; ++steps) {
        // Entries not made since the last clear code (the clear and end
        // codes' own among them) read as prefix 0, suffix 0.
        const bool made = code > m_endCode && code < s.MaxCode;
        const int prefix = made ? m_prefix[code] : 0;
        m_stack[sp++] = made ? m_suffix[code] : 0;
        if (prefix == code || steps >= TableSize) RaiseGIFError(SCircularDecoderTable);
        code = prefix;
    }
    s.FirstCode = code;
    m_stack[sp++] = static_cast<uint16_t>(code);
    if (s.MaxCode < TableSize) {
        m_prefix[s.MaxCode] = static_cast<uint16_t>(s.OldCode);
        m_suffix[s.MaxCode] = static_cast<uint16_t>(code);
        ++s.MaxCode;
        if (s.MaxCode >= s.MaxCodeSize && s.MaxCodeSize < TableSize) {
            s.MaxCodeSize <<= 1;
            ++s.CodeSize;
        }
    }
    s.OldCode = inCode;

    const int64_t n = std::min<int64_t>(sp, total - s.Pos);
    for (int64_t i = 0; i < n; ++i) out[s.Pos + i] = static_cast<uint8_t>(m_stack[sp - 1 - i]);
    s.Pos += n;
}

int64_t TLZWDecoder::Decode(uint8_t* __restrict out, int64_t total) {
    const int clearCode = m_clearCode;
    const int endCode = m_endCode;
    TBitReader bits(m_source);
    int codeSize = 0, maxCode = 0, maxCodeSize = 0;
    int oldCode = 0, firstCode = 0;
    int64_t pos = 0;
    int64_t lastPos = 0;  // where the previous string was written
    int lastLen = 0;      // and its length
    bool wellFormed = true;
    // A root is a run of one byte in Roots, so roots and entries decode alike.
    for (int i = 0; i < clearCode; ++i) {
        m_run[i] = Roots.data() + i;
        m_length[i] = 1;
    }

    // The first code is taken as a clear code whatever the data starts with.
    int code = clearCode;
    for (;;) {
        if (code == clearCode) {
            codeSize = m_setCodeSize + 1;
            maxCodeSize = 2 * clearCode;
            maxCode = clearCode + 2;
            do code = bits.Get(codeSize);
            while (code == clearCode);
            // An end code right after a clear code ends the data like
            // anywhere else.
            if (code < 0 || code == endCode) break;
            // The first code is a pixel as it stands. A well-formed one is a
            // root; a larger one leaves the table irregular until the next
            // clear code.
            out[pos] = static_cast<uint8_t>(code);
            oldCode = firstCode = code;
            wellFormed = code < clearCode;
            lastPos = pos;
            lastLen = 1;
            ++pos;
        } else if (code == endCode) {
            break;
        } else if (wellFormed && code <= maxCode) {
            const int64_t room = total - pos;
            int len;
            int first;
            if (code < maxCode) {
                const uint8_t* src = m_run[code];
                len = m_length[code];
                first = *src;
                CopyRun(out + pos, src, len, room);
            } else {
                // The entry being made: the previous string plus its own
                // first byte.
                len = lastLen + 1;
                first = firstCode;
                CopyRun(out + pos, out + lastPos, lastLen, room);
                if (lastLen < room) out[pos + lastLen] = static_cast<uint8_t>(first);
            }
            if (maxCode < TableSize) {
                m_prefix[maxCode] = static_cast<uint16_t>(oldCode);
                m_suffix[maxCode] = static_cast<uint16_t>(first);
                m_run[maxCode] = out + lastPos;
                m_length[maxCode] = static_cast<uint16_t>(lastLen + 1);
                ++maxCode;
                if (maxCode >= maxCodeSize && maxCodeSize < TableSize) {
                    maxCodeSize <<= 1;
                    ++codeSize;
                }
            }
            oldCode = code;
            firstCode = first;
            lastPos = pos;
            lastLen = len;
            pos += len;
        } else {
            TState s{codeSize, maxCode, maxCodeSize, oldCode, firstCode, pos};
            WalkChain(s, code, out, total);
            codeSize = s.CodeSize;
            maxCode = s.MaxCode;
            maxCodeSize = s.MaxCodeSize;
            oldCode = s.OldCode;
            firstCode = s.FirstCode;
            pos = s.Pos;
            wellFormed = false;
        }
        if (pos >= total) break;
        code = bits.Get(codeSize);
        if (code < 0) break;
    }
    return std::min(pos, total);
}

// Rows of an interlaced frame come in four passes: every 8th row from 0,
// every 8th from 4, every 4th from 2, every 2nd from 1. They are decoded in
// that order into the frame's own buffer and then put in place: each row
// moves once, along the cycles of the reordering, through one spare row, so
// the frame never needs a second buffer of its size.
void Deinterlace(uint8_t* data, int width, int height) {
    static constexpr int Start[4] = {0, 4, 2, 1};
    static constexpr int Step[4] = {8, 8, 4, 2};
    // from[y]: where the row that belongs at y was decoded; a row put in
    // place gets from[y] = y.
    std::vector<int> from(static_cast<size_t>(height));
    int decoded = 0;
    for (int pass = 0; pass < 4; ++pass)
        for (int y = Start[pass]; y < height; y += Step[pass]) from[size_t(y)] = decoded++;
    const auto row = [&](int y) { return data + int64_t(y) * width; };
    std::vector<uint8_t> spare(static_cast<size_t>(width));
    for (int y = 0; y < height; ++y) {
        if (from[size_t(y)] == y) continue;
        // The cycle through y: row y is set aside, every place on the cycle
        // takes the row that belongs there, and the last takes row y.
        std::memcpy(spare.data(), row(y), spare.size());
        for (int at = y;;) {
            const int source = std::exchange(from[size_t(at)], at);
            if (source == y) {
                std::memcpy(row(at), spare.data(), spare.size());
                break;
            }
            std::memcpy(row(at), row(source), spare.size());
            at = source;
        }
    }
}

// Frames up to this many pixels are allocated whatever their data holds.
constexpr int64_t SmallFrame = int64_t(16) << 20;

} // namespace

int64_t PixelsDataCouldFill(QIODevice& stream, int64_t pixels) {
    stream.startTransaction();
    uint8_t setCodeSize = 0, size = 0;
    int64_t bits = 0, could = 0;
    if (TryReadByte(stream, setCodeSize)) {
        // Every code takes at least the starting code size in bits and gives
        // at most a table's length of pixels.
        const int codeBits = std::min<int>(setCodeSize, MaxSetCodeSize) + 1;
        while (could < pixels && TryReadByte(stream, size) && size > 0) {
            const int64_t got = SkipBytes(stream, size);
            bits += got * 8;
            could = std::min(pixels, bits / codeBits * TableSize);
            if (got < size) break;
        }
    }
    stream.rollbackTransaction();
    return could;
}

bool FrameDataCouldFill(QIODevice& stream, int64_t pixels) {
    return pixels <= SmallFrame || PixelsDataCouldFill(stream, pixels) >= pixels;
}

void DecompressFrame(TGIFSubImage& subImage, QIODevice& stream) {
    const TGIFGraphicControlExtension* gce = subImage.GraphicControlExtension();
    const uint8_t fill = subImage.Transparent() && gce ? gce->TransparentColorIndex() : 0;
    // A large frame is allocated only when its data could fill it: a few
    // damaged bytes must not claim a gigabyte.
    const int64_t pixels = int64_t(subImage.Width()) * subImage.Height();
    if (!FrameDataCouldFill(stream, pixels)) RaiseGIFError(SFrameTooLarge);
    // Zeroed memory costs nothing until it is written, so the pixels are
    // not filled up front: the picture's memory grows as it is decoded, and
    // the fill goes only where the data does not reach.
    subImage.AllocateData();
    uint8_t* out = subImage.Data();
    const int64_t total = subImage.DataSize();
    // Pixels from `from` on, which the data did not reach, keep the fill;
    // a zero fill is there already but where whole-piece copies may have
    // run past the last pixel reached.
    const auto keepFill = [&](int64_t from) {
        const int64_t to = fill != 0 ? total : std::min<int64_t>(total, from + CopyPiece);
        if (from < to) std::fill(out + from, out + to, fill);
    };

    subImage.SetDataPixels(0);
    uint8_t setCodeSize;
    if (!TryReadByte(stream, setCodeSize)) {
        keepFill(0);
        return;
    }
    setCodeSize = std::min<uint8_t>(setCodeSize, MaxSetCodeSize);

    TSubBlockSource source(stream, subImage);
    if (total > 0) {
        auto decoder = std::make_unique<TLZWDecoder>(source, setCodeSize);
        const int64_t decoded = decoder->Decode(out, total);
        subImage.SetDataPixels(decoded);
        keepFill(decoded);
        if (subImage.Interlaced()) Deinterlace(out, subImage.Width(), subImage.Height());
    }
    source.SkipRest();
}

} // namespace image
