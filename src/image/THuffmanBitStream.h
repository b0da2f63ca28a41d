#pragma once
// Canonical Huffman codes over a bit stream: code lengths from symbol
// frequencies, canonical code words from lengths, writing code words, and
// table-driven decoding.
//
// Decoding looks codes up in a table indexed by the next TableBits input
// bits (codes are sent most significant bit first but packed least
// significant first, so the table is indexed by the bit-reversed code). A
// code longer than TableBits leads to a subtable indexed by the bits after
// the first TableBits. Each table entry is one 32-bit word:
//
//   bits  0..7   bits of input the entry takes (the code length; for a
//                subtable link TableBits; for an unused code point the
//                table's index width, so that a decision needs every bit)
//   bits  8..11  extra bits that follow the code (lengths, distances), or
//                the subtable's index width for a link
//   bit  13      Invalid: an unused code point or a symbol never valid
//   bit  14      Subtable: bits 16..30 hold the subtable's offset
//   bit  15      EndOfBlock
//   bits 16..30  the value: the byte of a literal, the base of a length or
//                distance, the symbol of a code-length code
//   bit  31      Literal
//
// This gives the same symbols as walking the code tree bit by bit, and
// takes one or two lookups per symbol.

#include "image/TBitStream.h"

#include <cstdint>
#include <vector>

namespace image {

class THuffmanBitStream : public TBitStream {
public:
    // A code word ready to be written least significant bit first, and its
    // length in bits (0 = the symbol is not used).
    struct TCode {
        uint16_t Code = 0;
        uint8_t Length = 0;
    };

    class TDecodeTable {
    public:
        static constexpr uint32_t LiteralFlag = 1u << 31;
        static constexpr uint32_t EndOfBlockFlag = 1u << 15;
        static constexpr uint32_t SubtableFlag = 1u << 14;
        static constexpr uint32_t InvalidFlag = 1u << 13;

        // The entry of a symbol without its length: `value` in bits 16..30,
        // `extraBits` in bits 8..11, plus flags.
        static constexpr uint32_t Entry(uint32_t value, uint32_t extraBits = 0, uint32_t flags = 0) {
            return (value << 16) | (extraBits << 8) | flags;
        }
        static constexpr int Bits(uint32_t entry) { return int(entry & 0xFF); }
        static constexpr int ExtraBits(uint32_t entry) { return int((entry >> 8) & 0xF); }
        static constexpr uint32_t Value(uint32_t entry) { return (entry >> 16) & 0x7FFF; }

        // Builds the table for the code given by `lengths` (count symbols,
        // lengths 0..15); `entries[s]` is symbol s's entry without its
        // length. Returns false for an over-subscribed set of lengths or an
        // incomplete one, except, with `allowIncomplete`, a code of no
        // symbols at all or of one symbol of length 1 (as RFC 1951 allows
        // for distance codes and zlib accepts for both codes); the missing
        // code points decode as Invalid.
        bool Build(const uint8_t* lengths, int count, const uint32_t* entries, int tableBits, bool allowIncomplete);

        const uint32_t* Data() const { return m_entries.data(); }
        int TableBits() const { return m_tableBits; }

    private:
        std::vector<uint32_t> m_entries;
        int m_tableBits = 0;
    };

    using TBitStream::TBitStream;

    // Code lengths from symbol frequencies, by the Huffman procedure of
    // ITU-T T.81 Annex K.2 (ties go to the higher symbol), limited to
    // `maxLength` bits by the adjustment of Annex K.3. Lengths are handed out
    // shortest first, in symbol order within one size. The code is always
    // complete: no symbol used gives all lengths 0; a single used symbol gets
    // length 1 together with one unused partner (symbol 0, or 1 when the
    // used one is 0). `count` must be at least 2 and at most 2^maxLength.
    static void MakeLengths(const uint32_t* freq, int count, int maxLength, uint8_t* lengths);
    // Canonical code words (RFC 1951, 3.2.2) for valid lengths, bit-reversed.
    static void MakeCodes(TCode* table, const uint8_t* lengths, int count);
    // The fixed literal/length code of RFC 1951 (288 symbols).
    static void MakeFixedCodes(TCode* table);
    // The fixed distance code: 5-bit codes for symbols 0..31.
    static void MakeFixedDistanceCodes(TCode* table);

    void WriteCode(const TCode& code) { WriteBits(code.Code, code.Length); }
    // Decodes the next code one byte of input at a time and returns its
    // entry (check its flags). Input that ends inside a code raises
    // EImageError "Error in compressed data".
    uint32_t DecodeEntry(const TDecodeTable& table);
};

} // namespace image
