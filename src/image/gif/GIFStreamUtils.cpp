#include "image/gif/GIFStreamUtils.h"

#include "image/EImageError.h"
#include "image/gif/GIFException.h"

#include <QIODevice>
#include <QSaveFile>
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

void WriteCheck(QIODevice& stream, const void* buffer, int64_t count) {
    if (count <= 0) return;
    // Checked first: a device that is not open complains on the console
    // instead of failing quietly.
    if (!stream.isWritable() || stream.write(static_cast<const char*>(buffer), count) != count)
        throw EInOutError(SStreamWriteError);
}

void WriteByte(QIODevice& stream, uint8_t value) { WriteCheck(stream, &value, 1); }

void WriteSubBlockStrings(QIODevice& stream, const std::vector<std::string>& strings) {
    for (const std::string& s : strings) {
        for (size_t done = 0; done < s.size();) {
            const size_t n = std::min<size_t>(255, s.size() - done);
            WriteByte(stream, static_cast<uint8_t>(n));
            WriteCheck(stream, s.data() + done, static_cast<int64_t>(n));
            done += n;
        }
    }
    WriteByte(stream, 0);
}

void SaveGIFFile(const std::string& fileName, const std::function<void(QIODevice&)>& save) {
    QSaveFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::WriteOnly))
        throw EInOutError("Cannot create file \"" + fileName + "\". " + file.errorString().toStdString());
    // An exception leaves the temporary file to QSaveFile, which removes it.
    save(file);
    if (!file.commit())
        throw EInOutError("Cannot create file \"" + fileName + "\". " + file.errorString().toStdString());
}

} // namespace image
