#pragma once
// A filter that reads and writes single bits, least significant bit of each
// byte first, as deflate packs them.
//
// Writing collects bits in a 64-bit register and whole bytes in an output
// buffer that goes to the inner stream when full and on Flush; Flush pads the
// last partial byte with zero bits.
//
// Reading takes bytes from the inner stream into an input buffer, asking for
// no more than the inner stream reports as Available (one byte when it
// reports none), so it never reads past the data a stream says it holds
// unless a bit is really needed. Bytes taken but not consumed as bits stay
// readable through Read. While reading, the inner stream's CheckIO is off
// (reading ahead must not trip it); this stream checks for itself.

#include "image/TFilterStream.h"

#include <cstdint>
#include <memory>

namespace image {

class TBitStream : public TFilterStream {
public:
    // Takes CanRead and CanWrite of `inner` (borrowed).
    explicit TBitStream(TBaseStream& inner);
    // Writes out collected bits like Flush, swallowing errors (call Flush
    // first to see them), and restores the inner stream's CheckIO.
    ~TBitStream() override;

    // Sends the low `count` bits of `value`. A count below 1 writes nothing;
    // above 32 raises EAssertionFailed.
    void WriteBits(uint32_t value, int count) {
        if (count < 1 || count > 32) return WriteBitsOutOfRange(count);
        m_outBits |= (uint64_t(value) & ((uint64_t(1) << count) - 1)) << m_outBitCount;
        m_outBitCount += count;
        if (m_outBitCount >= 32) PutWord();
    }
    // Reads `count` bits into successive bytes of `dest` (8 bits per byte,
    // least significant first, the last byte's unused bits cleared) and
    // returns how many bits were read: fewer at the end of the input.
    int ReadBits(void* dest, int count);
    // The next bit, or -1 at the end of the input.
    int ReadBit();

    // Byte reads and writes at the current bit position; whole bytes move
    // fast when the position is on a byte boundary. A short read with
    // CheckIO raises EInOutError "Read less than expected".
    int Read(void* buf, int count) override;
    int Write(const void* buf, int count) override;
    // Writing: pads the partial byte with zero bits and sends every
    // collected byte to the inner stream (without flushing it); a short
    // inner write raises EInOutError. Reading: drops the rest of a partly
    // read byte.
    void Flush() override;
    // Bytes still readable: whole bytes held here plus the inner stream's.
    int64_t Available() const override;
    // While reading, the inner stream's check stays off.
    void SetCheckIO(bool value) override;

protected:
    // --- Reading. Bits wait in m_bitBuf (the next bit lowest); m_bitCount
    // of them are valid. Bits above m_bitCount are either zero or copies of
    // the bytes at m_in and after, so a whole 64-bit word can be or-ed in.
    uint64_t m_bitBuf = 0;
    int m_bitCount = 0;
    const uint8_t* m_in = nullptr;    // next input byte not yet in m_bitBuf
    const uint8_t* m_inEnd = nullptr; // end of the input buffer's bytes
    bool m_inputEnded = false;        // the inner stream has delivered no more
    // Most bytes one FillInput takes from the inner stream. A reader that
    // is about to copy bytes straight from the inner stream lowers it, so
    // those bytes are not first read ahead into the input buffer.
    int m_fillLimit = 1 << 30;

    // Moves one input byte into m_bitBuf; false at the end of the input.
    bool PullByte();
    // Pulls bytes until at least `count` bits (<= 56) wait; false when the
    // input ends first.
    bool NeedBits(int count) {
        while (m_bitCount < count)
            if (!PullByte()) return false;
        return true;
    }
    uint32_t PeekBits(int count) const { return uint32_t(m_bitBuf & ((uint64_t(1) << count) - 1)); }
    void DropBits(int count) {
        m_bitBuf >>= count;
        m_bitCount -= count;
    }
    // Drops the bits up to the next byte boundary.
    void AlignToByte() { DropBits(m_bitCount & 7); }
    // Reads more input, keeping the unread bytes. With `need` it asks for
    // at least one byte even when the inner stream reports none available.
    // Returns false when nothing more came (then m_inputEnded is set if the
    // inner stream delivered nothing).
    bool FillInput(bool need);

    // --- Writing.
    // Moves the whole bytes of the bit register into the output buffer and
    // sends the buffer to the inner stream; up to 7 bits stay behind.
    void SendWholeBytes();
    // Pads the bits written so far with zeros up to a byte boundary.
    void PadToByte() { m_outBitCount = (m_outBitCount + 7) & ~7; }

private:
    static constexpr int OutCapacity = 65536;

    void WriteBitsOutOfRange(int count);
    // Moves the low 32 bits of the register into the output buffer.
    void PutWord() {
        if (m_outCount > OutCapacity - 4) SendOutput();
        uint8_t* p = m_outBuf.get() + m_outCount;
        p[0] = uint8_t(m_outBits);
        p[1] = uint8_t(m_outBits >> 8);
        p[2] = uint8_t(m_outBits >> 16);
        p[3] = uint8_t(m_outBits >> 24);
        m_outCount += 4;
        m_outBits >>= 32;
        m_outBitCount -= 32;
    }
    void StartReading();
    void PutOutBytes(); // whole bytes of the register into the buffer
    void SendOutput();

    std::unique_ptr<uint8_t[]> m_inBuf;
    int m_inCapacity = 0;
    bool m_reading = false;
    bool m_restoreCheckIO = false;

    uint64_t m_outBits = 0;
    int m_outBitCount = 0;
    std::unique_ptr<uint8_t[]> m_outBuf;
    int m_outCount = 0;
};

} // namespace image
