#include "image/gif/GIFStreamUtils.h"

#include "image/gif/GIFException.h"

#include <QIODevice>
#include <algorithm>

namespace image {

void ReadCheck(QIODevice& stream, void* buffer, int64_t count) {
    if (count <= 0) return;
    if (stream.read(static_cast<char*>(buffer), count) != count) RaiseGIFError(SPrematureEOF);
}

uint8_t ReadByte(QIODevice& stream) {
    uint8_t value = 0;
    TryReadByte(stream, value);
    return value;
}

bool TryReadByte(QIODevice& stream, uint8_t& value) {
    char c;
    if (!stream.getChar(&c)) return false;
    value = static_cast<uint8_t>(c);
    return true;
}

bool PeekByte(QIODevice& stream, uint8_t& value) {
    char c;
    if (stream.peek(&c, 1) != 1) return false;
    value = static_cast<uint8_t>(c);
    return true;
}

bool PeekNonZeroByte(QIODevice& stream, uint8_t& value) {
    while (PeekByte(stream, value)) {
        if (value != 0) return true;
        stream.skip(1);
    }
    return false;
}

int64_t SkipBytes(QIODevice& stream, int64_t count) {
    if (count <= 0) return 0;
    return std::max<int64_t>(0, stream.skip(count));
}

bool StepBack(QIODevice& stream) {
    if (stream.isSequential() || stream.pos() <= 0) return false;
    return stream.seek(stream.pos() - 1);
}

void ReadSubBlockStrings(QIODevice& stream, std::vector<std::string>& strings) {
    strings.clear();
    uint8_t size;
    while (TryReadByte(stream, size) && size != 0) {
        std::string s(size, '\0');
        ReadCheck(stream, s.data(), size);
        strings.push_back(std::move(s));
    }
}

} // namespace image
