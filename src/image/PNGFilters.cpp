// Row filters. Reversing a filter is the inner loop of PNG decoding, so Sub,
// Average and Paeth are instantiated per pixel size: with the distance known
// at compile time the bpp independent byte chains of a row interleave, and
// the Paeth choice compiles to conditional moves instead of branches.
#include "image/PNGFilters.h"

#include "image/PNGTables.h"

namespace image {

namespace {

template <int Bpp>
void UnSub(uint8_t* row, int count) {
    for (int i = Bpp; i < count; ++i) row[i] = uint8_t(row[i] + row[i - Bpp]);
}

void UnUp(uint8_t* row, const uint8_t* prev, int count) {
    for (int i = 0; i < count; ++i) row[i] = uint8_t(row[i] + prev[i]);
}

template <int Bpp>
void UnAverage(uint8_t* row, const uint8_t* prev, int count) {
    const int head = count < Bpp ? count : Bpp;
    for (int i = 0; i < head; ++i) row[i] = uint8_t(row[i] + (prev[i] >> 1));
    for (int i = Bpp; i < count; ++i) row[i] = uint8_t(row[i] + ((row[i - Bpp] + prev[i]) >> 1));
}

template <int Bpp>
void UnPaeth(uint8_t* row, const uint8_t* prev, int count) {
    const int head = count < Bpp ? count : Bpp;
    // Left of the row a = c = 0, so the predictor is b.
    for (int i = 0; i < head; ++i) row[i] = uint8_t(row[i] + prev[i]);
    for (int i = Bpp; i < count; ++i)
        row[i] = uint8_t(row[i] + PaethPredictor(row[i - Bpp], prev[i], prev[i - Bpp]));
}

template <int Bpp>
void Unfilter(int type, uint8_t* row, const uint8_t* prev, int count) {
    switch (type) {
    case PNGFilterSub: UnSub<Bpp>(row, count); break;
    case PNGFilterUp: UnUp(row, prev, count); break;
    case PNGFilterAverage: UnAverage<Bpp>(row, prev, count); break;
    case PNGFilterPaeth: UnPaeth<Bpp>(row, prev, count); break;
    default: break;
    }
}

} // namespace

void UnfilterRow(int type, uint8_t* row, const uint8_t* prev, int count, int bpp) {
    switch (bpp) {
    case 1: Unfilter<1>(type, row, prev, count); break;
    case 2: Unfilter<2>(type, row, prev, count); break;
    case 3: Unfilter<3>(type, row, prev, count); break;
    case 4: Unfilter<4>(type, row, prev, count); break;
    case 6: Unfilter<6>(type, row, prev, count); break;
    default: Unfilter<8>(type, row, prev, count); break;
    }
}

void FilterRow(int type, const uint8_t* row, const uint8_t* prev, uint8_t* out, int count, int bpp) {
    const int head = count < bpp ? count : bpp;
    switch (type) {
    case PNGFilterSub:
        for (int i = 0; i < head; ++i) out[i] = row[i];
        for (int i = bpp; i < count; ++i) out[i] = uint8_t(row[i] - row[i - bpp]);
        break;
    case PNGFilterUp:
        for (int i = 0; i < count; ++i) out[i] = uint8_t(row[i] - prev[i]);
        break;
    case PNGFilterAverage:
        for (int i = 0; i < head; ++i) out[i] = uint8_t(row[i] - (prev[i] >> 1));
        for (int i = bpp; i < count; ++i) out[i] = uint8_t(row[i] - ((row[i - bpp] + prev[i]) >> 1));
        break;
    case PNGFilterPaeth:
        for (int i = 0; i < head; ++i) out[i] = uint8_t(row[i] - prev[i]);
        for (int i = bpp; i < count; ++i)
            out[i] = uint8_t(row[i] - PaethPredictor(row[i - bpp], prev[i], prev[i - bpp]));
        break;
    default:
        for (int i = 0; i < count; ++i) out[i] = row[i];
        break;
    }
}

} // namespace image
