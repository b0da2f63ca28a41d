#pragma once
// Small streams and helpers shared by the image stream tests.

#include "image/EImageError.h"
#include "image/TBaseStream.h"
#include "image/TMemStream.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace imagetest {

// Bytes 0, 1, 2, ... (mod 251, so patterns do not line up with block sizes).
inline std::string Pattern(size_t n, unsigned seed = 0) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i + seed) % 251);
    return s;
}

// A read-only stream over a string that hands out at most `piece` bytes per
// Read and counts the calls, to see what a filter asks of its inner stream.
class TPieceStream : public image::TBaseStream {
public:
    explicit TPieceStream(std::string data, int piece = 1 << 30) : m_data(std::move(data)), m_piece(piece) {
        m_canRead = true;
    }
    int Write(const void*, int) override { return 0; }
    int Read(void* buf, int count) override {
        ++reads;
        lastAsked = count;
        const int n = static_cast<int>(std::min<size_t>({size_t(std::max(count, 0)), size_t(m_piece), m_data.size() - m_pos}));
        std::memcpy(buf, m_data.data() + m_pos, static_cast<size_t>(n));
        m_pos += static_cast<size_t>(n);
        if (m_checkIO && n < count) throw image::EInOutError("inner check tripped");
        return n;
    }
    int64_t Available() const override { return static_cast<int64_t>(m_data.size() - m_pos); }

    int reads = 0;
    int lastAsked = 0;

private:
    std::string m_data;
    size_t m_pos = 0;
    int m_piece;
};

// A write-only sink that takes at most `limit` bytes in all and records them.
class TSinkStream : public image::TBaseStream {
public:
    explicit TSinkStream(size_t limit = SIZE_MAX) : m_limit(limit) { m_canWrite = true; }
    int Write(const void* buf, int count) override {
        ++writes;
        const size_t n = std::min<size_t>(std::max(count, 0), m_limit - data.size());
        data.append(static_cast<const char*>(buf), n);
        return static_cast<int>(n);
    }
    int Read(void*, int) override { return 0; }
    int64_t Available() const override { return 0; }

    std::string data;
    int writes = 0;

private:
    size_t m_limit;
};

// Everything in a memory stream, read from the start; the position is kept.
inline std::string Contents(image::TMemStream& s) {
    const int64_t pos = s.GetPosition();
    const bool check = s.CheckIO();
    std::string out(static_cast<size_t>(s.GetSize()), '\0');
    s.SetPosition(0);
    s.Read(out.data(), static_cast<int>(out.size()));
    s.SetPosition(pos);
    s.SetCheckIO(check);
    return out;
}

// Runs `f` and returns the text of the exception of type E it raises ("" if none).
template <class E, class F>
std::string ErrorText(F&& f) {
    try {
        f();
    } catch (const E& e) {
        return e.what();
    }
    return {};
}

} // namespace imagetest
