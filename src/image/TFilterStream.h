#pragma once
// A stream that wraps another one. The plain filter forwards Read, Write and
// Available to the inner stream and is neither readable nor writable by its
// own flags; descendants (buffering, CRC, bit and deflate streams) set those.

#include "image/TBaseStream.h"

namespace image {

class TFilterStream : public TBaseStream {
public:
    // `inner` is borrowed and must outlive the filter.
    explicit TFilterStream(TBaseStream& inner) : m_inner(&inner) {}

    TBaseStream& Inner() const { return *m_inner; }

    // Sets the flag here and on the inner stream.
    void SetCheckIO(bool value) override {
        m_checkIO = value;
        m_inner->SetCheckIO(value);
    }
    int Write(const void* buf, int count) override { return m_inner->Write(buf, count); }
    int Read(void* buf, int count) override { return m_inner->Read(buf, count); }
    int64_t Available() const override { return m_inner->Available(); }
    // Flush is the base's no-op: a plain filter does not flush its inner stream.

protected:
    TBaseStream* m_inner;
};

} // namespace image
