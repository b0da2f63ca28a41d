#pragma once
// Reading helpers shared by the GIF block classes. Every block reads from a
// QIODevice (the GUI layer's stream class; a library stream reaches it
// through TSeekableHostStream). Where a block must look at a byte before
// deciding who reads it, it peeks instead of reading and moving back, so the
// helpers work on sequential devices as well as on files and buffers.

#include <cstdint>
#include <string>
#include <vector>

class QIODevice;

namespace image {

// Reads exactly `count` bytes; fewer raise GIFException "Premature end of data".
void ReadCheck(QIODevice& stream, void* buffer, int64_t count);
// One byte; 0 when nothing could be read.
uint8_t ReadByte(QIODevice& stream);
// One byte into `value`; false (and `value` untouched) when nothing could be read.
bool TryReadByte(QIODevice& stream, uint8_t& value);
// The next byte without consuming it; false at the end of the data.
bool PeekByte(QIODevice& stream, uint8_t& value);
// Consumes zero bytes and peeks at the first other one; false when the data
// ends first.
bool PeekNonZeroByte(QIODevice& stream, uint8_t& value);
// Reads and drops up to `count` bytes; returns how many there were.
int64_t SkipBytes(QIODevice& stream, int64_t count);
// Moves back one byte where the device allows it (not on sequential devices
// or at position 0); returns whether it moved.
bool StepBack(QIODevice& stream);

// Replaces `strings` with the data sub-blocks at the current position, one
// string of raw bytes per sub-block, up to and including the zero-length
// block. A missing length byte ends the list quietly; a sub-block cut short
// raises "Premature end of data".
void ReadSubBlockStrings(QIODevice& stream, std::vector<std::string>& strings);

// Little-endian fields of GIF blocks.
inline uint16_t GetWord(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t GetDWord(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

} // namespace image
