#include "image/TBaseStream.h"

#include <algorithm>
#include <array>

namespace image {

namespace {
constexpr int CopyChunk = 4096;
}

void TBaseStream::CopyFrom(TBaseStream& source) {
    const bool check = source.CheckIO();
    if (check) source.SetCheckIO(false);
    struct Restore {
        TBaseStream& s;
        bool on;
        ~Restore() {
            if (on) s.SetCheckIO(true);
        }
    } restore{source, check};

    std::array<char, CopyChunk> buf;
    while (!source.Eof()) {
        const int got = source.Read(buf.data(), CopyChunk);
        // A stream that claims more bytes but delivers none would spin here.
        if (got <= 0) break;
        Write(buf.data(), got);
    }
}

int64_t CopyStream(TBaseStream& source, TBaseStream* dest, int64_t count) {
    std::array<char, CopyChunk> buf;
    int64_t copied = 0;
    while (copied < count && !source.Eof()) {
        const int want = static_cast<int>(std::min<int64_t>(CopyChunk, count - copied));
        const int got = source.Read(buf.data(), want);
        if (got <= 0) break;
        if (dest) dest->Write(buf.data(), got);
        copied += got;
    }
    return copied;
}

} // namespace image
