#include "image/THuffmanBitStream.h"

#include "image/DeflateTables.h"
#include "image/EImageError.h"

#include <algorithm>
#include <array>

namespace image {

namespace {

constexpr int MaxLength = 15;

// `code` with its lowest `length` bits in reverse order.
uint32_t Reverse(uint32_t code, int length) {
    uint32_t r = 0;
    for (int i = 0; i < length; ++i) {
        r = (r << 1) | (code & 1);
        code >>= 1;
    }
    return r;
}

} // namespace

// --- Code lengths -----------------------------------------------------------

void THuffmanBitStream::MakeLengths(const uint32_t* freq, int count, int maxLength, uint8_t* lengths) {
    std::vector<uint64_t> f(freq, freq + count);
    std::vector<int> size(static_cast<size_t>(count), 0);
    std::vector<int> others(static_cast<size_t>(count), -1);
    std::fill(lengths, lengths + count, uint8_t(0));

    // Annex K.2: merge the two least frequent trees until one is left; each
    // merge makes every symbol of both one bit longer.
    int used = 0;
    for (int i = 0; i < count; ++i) used += f[i] > 0;
    if (used == 0) return;
    // The scans of Annex K.2 (least frequency, ties to the highest symbol)
    // as a heap ordered the same way; the merged tree keeps V1's symbol.
    const auto later = [](const std::pair<uint64_t, int>& a, const std::pair<uint64_t, int>& b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    };
    std::vector<std::pair<uint64_t, int>> heap;
    for (int i = 0; i < count; ++i)
        if (f[i] > 0) heap.push_back({f[i], i});
    std::make_heap(heap.begin(), heap.end(), later);
    while (heap.size() > 1) {
        std::pop_heap(heap.begin(), heap.end(), later);
        const auto [f1, v1Start] = heap.back();
        heap.pop_back();
        std::pop_heap(heap.begin(), heap.end(), later);
        const auto [f2, v2Start] = heap.back();
        heap.back() = {f1 + f2, v1Start};
        std::push_heap(heap.begin(), heap.end(), later);
        int v1 = v1Start, v2 = v2Start;
        ++size[v1];
        while (others[v1] >= 0) {
            v1 = others[v1];
            ++size[v1];
        }
        others[v1] = v2;
        ++size[v2];
        while (others[v2] >= 0) {
            v2 = others[v2];
            ++size[v2];
        }
    }
    if (used == 1) {
        // One symbol: a one-bit code, completed by a partner that is never
        // sent, so that strict decoders see a complete code.
        const int only = static_cast<int>(std::find_if(freq, freq + count, [](uint32_t x) { return x > 0; }) - freq);
        lengths[only] = 1;
        lengths[only == 0 ? 1 : 0] = 1;
        return;
    }

    // Annex K.3: move codes longer than maxLength up. Taking two codes from
    // the deepest level i, one goes to i - 1 in place of their parent, and
    // the other joins a code of the nearest shorter level j, which moves
    // down to j + 1; the code stays complete.
    std::vector<int> bits(static_cast<size_t>(std::max(count, maxLength) + 1), 0);
    int longest = 0;
    for (int i = 0; i < count; ++i)
        if (size[i] > 0) {
            ++bits[size[i]];
            longest = std::max(longest, size[i]);
        }
    for (int i = longest; i > maxLength; --i) {
        while (bits[i] > 0) {
            int j = i - 2;
            while (j > 0 && bits[j] == 0) --j;
            if (j <= 0) throw EAssertionFailed("Assertion failed"); // more symbols than 2^maxLength
            bits[i] -= 2;
            bits[i - 1] += 1;
            bits[j + 1] += 2;
            bits[j] -= 1;
        }
    }

    // Annex K.4 order (by size from K.2, then by symbol) gets the adjusted
    // lengths, shortest first.
    std::vector<int> order;
    order.reserve(static_cast<size_t>(used));
    for (int s = 1; s <= longest; ++s)
        for (int i = 0; i < count; ++i)
            if (size[i] == s) order.push_back(i);
    size_t k = 0;
    for (int len = 1; len <= maxLength; ++len)
        for (int n = 0; n < bits[len]; ++n) lengths[order[k++]] = static_cast<uint8_t>(len);
}

void THuffmanBitStream::MakeCodes(TCode* table, const uint8_t* lengths, int count) {
    std::array<int, MaxLength + 2> counts{};
    for (int i = 0; i < count; ++i) ++counts[lengths[i]];
    counts[0] = 0;
    std::array<uint32_t, MaxLength + 2> next{};
    uint32_t code = 0;
    for (int len = 1; len <= MaxLength; ++len) {
        code = (code + counts[len - 1]) << 1;
        next[len] = code;
    }
    for (int i = 0; i < count; ++i) {
        const int len = lengths[i];
        table[i].Length = static_cast<uint8_t>(len);
        table[i].Code = len ? static_cast<uint16_t>(Reverse(next[len]++, len)) : 0;
    }
}

void THuffmanBitStream::MakeFixedCodes(TCode* table) {
    std::array<uint8_t, LiteralLengthSymbols> lengths;
    for (int i = 0; i < LiteralLengthSymbols; ++i) lengths[i] = FixedLiteralLength(i);
    MakeCodes(table, lengths.data(), LiteralLengthSymbols);
}

void THuffmanBitStream::MakeFixedDistanceCodes(TCode* table) {
    std::array<uint8_t, DistanceSymbols> lengths;
    lengths.fill(5);
    MakeCodes(table, lengths.data(), DistanceSymbols);
}

// --- Decoding tables --------------------------------------------------------

bool THuffmanBitStream::TDecodeTable::Build(const uint8_t* lengths, int count, const uint32_t* entries, int tableBits,
                                            bool allowIncomplete) {
    std::array<int, MaxLength + 1> counts{};
    for (int i = 0; i < count; ++i) {
        if (lengths[i] > MaxLength) return false;
        ++counts[lengths[i]];
    }
    counts[0] = 0;
    // Kraft's sum: `left` code points of the current length remain free.
    int left = 1;
    int used = 0;
    for (int len = 1; len <= MaxLength; ++len) {
        left = (left << 1) - counts[len];
        if (left < 0) return false; // over-subscribed
        used += counts[len];
    }
    if (left > 0 && !(allowIncomplete && (used == 0 || (used == 1 && counts[1] == 1)))) return false;

    // Symbols in canonical order: by length, then by symbol.
    std::array<int, MaxLength + 2> offset{};
    for (int len = 1; len <= MaxLength; ++len) offset[len + 1] = offset[len] + counts[len];
    std::vector<uint16_t> sorted(static_cast<size_t>(used));
    for (int i = 0; i < count; ++i)
        if (lengths[i]) sorted[offset[lengths[i]]++] = static_cast<uint16_t>(i);

    m_tableBits = tableBits;
    const uint32_t mainSize = 1u << tableBits;
    m_entries.assign(mainSize, InvalidFlag | uint32_t(tableBits));

    uint32_t code = 0; // canonical code of the current symbol, most significant bit first
    int prevLen = 0;
    size_t k = 0;
    // Codes that fit the main table fill every slot whose low bits are theirs.
    for (; k < sorted.size() && lengths[sorted[k]] <= tableBits; ++k) {
        const int len = lengths[sorted[k]];
        code <<= (len - prevLen);
        prevLen = len;
        const uint32_t e = entries[sorted[k]] | uint32_t(len);
        for (uint32_t i = Reverse(code, len); i < mainSize; i += 1u << len) m_entries[i] = e;
        ++code;
    }
    // Longer codes go to subtables, one per distinct first `tableBits` bits;
    // codes sharing them are adjacent in canonical order.
    while (k < sorted.size()) {
        const int firstLen = lengths[sorted[k]];
        code <<= (firstLen - prevLen);
        prevLen = firstLen;
        const uint32_t prefix = code >> (firstLen - tableBits);
        // The group's longest code fixes the subtable's width.
        size_t end = k;
        uint32_t c = code;
        int l = firstLen;
        int longest = firstLen;
        while (end < sorted.size()) {
            const int len = lengths[sorted[end]];
            c <<= (len - l);
            l = len;
            if ((c >> (len - tableBits)) != prefix) break;
            longest = len;
            ++c;
            ++end;
        }
        const int subBits = longest - tableBits;
        const uint32_t start = static_cast<uint32_t>(m_entries.size());
        m_entries.resize(start + (1u << subBits), InvalidFlag | uint32_t(subBits));
        m_entries[Reverse(prefix, tableBits)] = SubtableFlag | (start << 16) | (uint32_t(subBits) << 8) | uint32_t(tableBits);
        for (; k < end; ++k) {
            const int len = lengths[sorted[k]];
            code <<= (len - prevLen);
            prevLen = len;
            const int subLen = len - tableBits;
            const uint32_t e = entries[sorted[k]] | uint32_t(subLen);
            const uint32_t low = Reverse(code & ((1u << subLen) - 1), subLen);
            for (uint32_t i = low; i < (1u << subBits); i += 1u << subLen) m_entries[start + i] = e;
            ++code;
        }
    }
    return true;
}

uint32_t THuffmanBitStream::DecodeEntry(const TDecodeTable& table) {
    const uint32_t* t = table.Data();
    const int tb = table.TableBits();
    for (;;) {
        // With fewer than tableBits bits at hand the unknown bits are
        // whatever follows; an entry is only taken once all of its bits are
        // real, and then it is right whatever the others were.
        const uint32_t e = t[m_bitBuf & ((1u << tb) - 1)];
        if (e & TDecodeTable::SubtableFlag) {
            if (m_bitCount >= tb) {
                const int sb = TDecodeTable::ExtraBits(e);
                const uint32_t s = t[TDecodeTable::Value(e) + ((m_bitBuf >> tb) & ((1u << sb) - 1))];
                if (tb + TDecodeTable::Bits(s) <= m_bitCount) {
                    DropBits(tb + TDecodeTable::Bits(s));
                    return s;
                }
            }
        } else if (TDecodeTable::Bits(e) <= m_bitCount) {
            DropBits(TDecodeTable::Bits(e));
            return e;
        }
        if (!PullByte()) throw EImageError("Error in compressed data");
    }
}

} // namespace image
