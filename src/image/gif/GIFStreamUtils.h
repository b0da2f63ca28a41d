#pragma once
// Reading and writing helpers shared by the GIF block classes. Every block reads from a
// QIODevice (the GUI layer's stream class; a library stream reaches it
// through TSeekableHostStream). Where a block must look at a byte before
// deciding who reads it, it peeks instead of reading and moving back, so the
// helpers work on sequential devices as well as on files and buffers.

#include <cstdint>
#include <functional>
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

// Writes all `count` bytes. A device that is not open for writing or takes
// fewer bytes (disk full, closed pipe) raises EInOutError "Stream write
// error", so a failed save never passes for a finished one.
void WriteCheck(QIODevice& stream, const void* buffer, int64_t count);
void WriteByte(QIODevice& stream, uint8_t value);
// Writes each string as data sub-blocks of at most 255 bytes (an empty string
// writes nothing), then the zero-length terminator.
void WriteSubBlockStrings(QIODevice& stream, const std::vector<std::string>& strings);

// Runs `save` on a temporary file beside `fileName` and puts it in place only
// when `save` returns and every byte reached the disk; on any error the
// temporary file goes and `fileName` is untouched. Raises EInOutError
// "Cannot create file "<name>". <reason>" when the file cannot be made or
// finished; exceptions of `save` pass on.
void SaveGIFFile(const std::string& fileName, const std::function<void(QIODevice&)>& save);

// Little-endian fields of GIF blocks.
inline uint16_t GetWord(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t GetDWord(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline void PutWord(uint8_t* p, uint16_t value) {
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
}
inline void PutDWord(uint8_t* p, uint32_t value) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(value >> (8 * i));
}

} // namespace image
