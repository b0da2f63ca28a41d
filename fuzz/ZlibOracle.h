#pragma once
// zlib as the oracle of the deflate targets: a raw deflate stream inflated
// by the reference implementation.

#include <cstddef>
#include <cstdint>
#include <string>
#include <zlib.h>

namespace fuzzsupport {

// Inflates the raw deflate stream `data` into `out`, stopping past 64 MiB
// (a bomb). True when the stream ended properly; `unread` gets the bytes
// left after its end.
inline bool ZlibInflate(const void* data, size_t size, std::string& out, size_t* unread = nullptr) {
    z_stream s{};
    if (inflateInit2(&s, -15) != Z_OK) return false;
    s.next_in = static_cast<Bytef*>(const_cast<void*>(data));
    s.avail_in = static_cast<uInt>(size);
    char buf[16384];
    int rc;
    do {
        s.next_out = reinterpret_cast<Bytef*>(buf);
        s.avail_out = sizeof buf;
        rc = inflate(&s, Z_NO_FLUSH);
        out.append(buf, sizeof buf - s.avail_out);
    } while (rc == Z_OK && (s.avail_in > 0 || s.avail_out == 0) && out.size() < (64u << 20));
    if (unread) *unread = s.avail_in;
    inflateEnd(&s);
    return rc == Z_STREAM_END;
}

} // namespace fuzzsupport
