#include "image/Adler32.h"

namespace image {

namespace {
constexpr uint32_t Base = 65521; // the largest prime below 2^16
// The most bytes that can be summed before B may overflow 32 bits, starting
// from sums below Base (the bound zlib derives: 255n(n+1)/2 + (n+1)(Base-1) < 2^32).
constexpr size_t MaxRun = 5552;
} // namespace

void Adler32Update(TAdler32& adler, const void* buf, size_t count) {
    const auto* p = static_cast<const unsigned char*>(buf);
    uint32_t a = adler.A, b = adler.B;
    // Taking the remainder once per run instead of once per byte gives the
    // same sums: they are only ever reduced modulo Base.
    while (count > 0) {
        size_t run = count < MaxRun ? count : MaxRun;
        count -= run;
        while (run >= 8) {
            a += p[0]; b += a;
            a += p[1]; b += a;
            a += p[2]; b += a;
            a += p[3]; b += a;
            a += p[4]; b += a;
            a += p[5]; b += a;
            a += p[6]; b += a;
            a += p[7]; b += a;
            p += 8;
            run -= 8;
        }
        while (run--) {
            a += *p++;
            b += a;
        }
        a %= Base;
        b %= Base;
    }
    adler.A = a;
    adler.B = b;
}

} // namespace image
