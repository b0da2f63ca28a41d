#include "image/gif/TGIFColorMap.h"

#include "image/gif/GIFException.h"
#include "image/gif/GIFStreamUtils.h"
#include "image/gif/TGIFGraphicControlExtension.h"
#include "image/gif/TGIFSubImage.h"

#include <QIODevice>
#include <QImage>
#include <algorithm>

namespace image {

namespace {

TGIFColor ToEntry(TColor color) {
    return {static_cast<uint8_t>(color), static_cast<uint8_t>(color >> 8), static_cast<uint8_t>(color >> 16)};
}

bool SameColor(const TGIFColor& a, const TGIFColor& b) {
    return a.Red == b.Red && a.Green == b.Green && a.Blue == b.Blue;
}

// The list sort of the GUI library (Hoare partition around the value in the
// middle of the range, recursion on the left part, iteration on the right),
// most used entries first. Equal counts end where this sort leaves them, and
// the order decides which colour gets which index, so it is kept as it is.
void SortByCount(TGIFHistogram& h, int low, int high) {
    int i;
    do {
        i = low;
        int j = high;
        const int64_t pivot = h[static_cast<size_t>((low + high) >> 1)].Count;
        do {
            while (h[static_cast<size_t>(i)].Count > pivot) ++i;
            while (h[static_cast<size_t>(j)].Count < pivot) --j;
            if (i <= j) {
                std::swap(h[static_cast<size_t>(i)], h[static_cast<size_t>(j)]);
                ++i;
                --j;
            }
        } while (i <= j);
        if (low < j) SortByCount(h, low, j);
        low = i;
    } while (i < high);
}

// Every index to itself.
TGIFColorMapping IdentityMapping() {
    TGIFColorMapping map;
    for (int i = 0; i < TGIFColorMap::MaxColors; ++i) map[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    return map;
}

} // namespace

void TGIFColorMap::Assign(const TGIFColorMap& source) {
    if (&source == this) return;
    m_entries = source.m_entries;
    m_count = source.m_count;
    m_capacity = source.m_capacity;
    m_optimized = source.m_optimized;
    Changed();
}

void TGIFColorMap::Clear() {
    m_entries.fill({});
    m_count = 0;
    m_capacity = 0;
    m_optimized = false;
}

void TGIFColorMap::GrowFor(int count) {
    if (count <= m_capacity) return;
    const int grown = count > 16 ? (count + 31) / 32 * 32 : 16;
    m_capacity = std::min(grown, MaxColors);
}

int TGIFColorMap::Add(TColor color) {
    if (m_count >= MaxColors) RaiseGIFError(SColorTableOverflow);
    GrowFor(m_count + 1);
    m_entries[static_cast<size_t>(m_count)] = ToEntry(color);
    ++m_count;
    m_optimized = false;
    Changed();
    return m_count - 1;
}

int TGIFColorMap::AddUnique(TColor color) {
    const int index = IndexOfColor(color);
    return index >= 0 ? index : Add(color);
}

int TGIFColorMap::IndexOfColor(TColor color) const {
    const TGIFColor c = ToEntry(color);
    if (m_optimized) {
        for (int i = 0; i < m_count; ++i)
            if (SameColor(m_entries[static_cast<size_t>(i)], c)) return i;
    } else {
        for (int i = m_count - 1; i >= 0; --i)
            if (SameColor(m_entries[static_cast<size_t>(i)], c)) return i;
    }
    return -1;
}

void TGIFColorMap::Delete(int index) {
    if (index < 0 || index >= m_count) RaiseGIFError(SBadColorIndex);
    std::copy(m_entries.begin() + index + 1, m_entries.begin() + m_count, m_entries.begin() + index);
    --m_count;
    m_entries[static_cast<size_t>(m_count)] = {};
    m_optimized = false;
    Changed();
}

void TGIFColorMap::Exchange(int a, int b) {
    if (a < 0 || a >= m_count || b < 0 || b >= m_count) RaiseGIFError(SBadColorIndex);
    if (a == b) return;
    TGIFColorMapping map = IdentityMapping();
    map[static_cast<size_t>(a)] = static_cast<uint8_t>(b);
    map[static_cast<size_t>(b)] = static_cast<uint8_t>(a);
    MapImages(map);
    std::swap(m_entries[static_cast<size_t>(a)], m_entries[static_cast<size_t>(b)]);
    Changed();
}

TColor TGIFColorMap::Colors(int index) {
    if (index < 0 || index >= m_count) {
        Warning(TGIFSeverity::Warning, SBadColorIndex);
        if (m_count == 0) RaiseGIFError(SEmptyColorTable);
        index = 0;
    }
    const TGIFColor& c = m_entries[static_cast<size_t>(index)];
    return RGBColor(c.Red, c.Green, c.Blue);
}

int TGIFColorMap::BitsFor(int colors) {
    if (colors <= 0) return 0;
    int bits = 1;
    while ((1 << bits) < colors) ++bits;
    return bits;
}

void TGIFColorMap::LoadFromStream(QIODevice& stream, int count) {
    Clear();
    count = std::clamp(count, 0, MaxColors);
    GrowFor(count);
    ReadCheck(stream, m_entries.data(), int64_t(count) * 3);
    m_count = count;
}

void TGIFColorMap::SaveToStream(QIODevice& stream, int bits) const {
    if (m_count == 0) return;
    // Entries past Count are kept black, so the padding is already there.
    WriteCheck(stream, m_entries.data(), int64_t(3) << std::clamp(std::max(bits, BitsPerPixel()), 1, 8));
}

void TGIFColorMap::ImportPalette(const TGIFPalette& palette) {
    Clear();
    const int count = static_cast<int>(std::min<qsizetype>(palette.size(), MaxColors));
    if (count == 0) return;
    GrowFor(count);
    for (int i = 0; i < count; ++i) {
        const QRgb c = palette[i];
        m_entries[static_cast<size_t>(i)] = {uint8_t(qRed(c)), uint8_t(qGreen(c)), uint8_t(qBlue(c))};
    }
    m_count = count;
    Changed();
}

void TGIFColorMap::ImportRGB(const uint8_t* entries, int count) {
    Clear();
    count = entries ? std::clamp(count, 0, MaxColors) : 0;
    if (count == 0) return;
    GrowFor(count);
    for (int i = 0; i < count; ++i, entries += 4) m_entries[static_cast<size_t>(i)] = {entries[2], entries[1], entries[0]};
    m_count = count;
    Changed();
}

void TGIFColorMap::ImportDIBColors(const QImage& bitmap) { ImportPalette(bitmap.colorTable()); }

TGIFPalette TGIFColorMap::ExportPalette() const {
    TGIFPalette palette;
    palette.reserve(m_count);
    for (int i = 0; i < m_count; ++i) {
        const TGIFColor& c = m_entries[static_cast<size_t>(i)];
        palette.push_back(qRgb(c.Red, c.Green, c.Blue));
    }
    return palette;
}

bool TGIFColorMap::Optimize() {
    if (m_count < 2) return false;
    m_optimized = true;

    TGIFHistogram histogram;
    for (int i = 0; i < MaxColors; ++i) histogram[static_cast<size_t>(i)] = {0, i};
    BuildHistogram(histogram);
    SortByCount(histogram, 0, m_count - 1);

    bool inOrder = true;
    for (int i = 0; i < m_count && inOrder; ++i) inOrder = histogram[static_cast<size_t>(i)].Index == i;
    if (inOrder) return true;

    TGIFColorMapping map = IdentityMapping();
    for (int i = 0; i < m_count; ++i)
        map[static_cast<size_t>(histogram[static_cast<size_t>(i)].Index)] = static_cast<uint8_t>(i);
    MapImages(map);

    std::array<TGIFColor, MaxColors> sorted{};
    int used = m_count;
    for (int i = 0; i < m_count; ++i) {
        const TGIFHistogramEntry& e = histogram[static_cast<size_t>(i)];
        if (e.Count == 0 && used == m_count) used = i;
        sorted[static_cast<size_t>(i)] = m_entries[static_cast<size_t>(e.Index)];
    }
    for (int i = used; i < MaxColors; ++i) sorted[static_cast<size_t>(i)] = {};
    m_entries = sorted;
    m_count = used;
    Changed();
    return true;
}

void TGIFColorMap::Warning(TGIFSeverity, const std::string&) {}

void TGIFColorMap::BuildHistogram(TGIFHistogram&) {}

void TGIFColorMap::MapImages(const TGIFColorMapping&) {}

void TGIFColorMap::CountFramePixels(const TGIFSubImage& frame, TGIFHistogram& histogram) {
    const uint8_t* p = frame.Data();
    for (int64_t i = 0, n = frame.DataSize(); i < n; ++i) ++histogram[p[i]].Count;
}

void TGIFColorMap::MapFramePixels(TGIFSubImage& frame, const TGIFColorMapping& map) {
    uint8_t* p = frame.Data();
    for (int64_t i = 0, n = frame.DataSize(); i < n; ++i) p[i] = map[p[i]];
    if (frame.Transparent() && frame.GraphicControlExtension()) {
        // An index past the table (which gifsicle writes, to spare an entry)
        // maps to itself and stays past the table: it names no colour.
        TGIFGraphicControlExtension& gce = *frame.GraphicControlExtension();
        const uint8_t index = gce.TransparentColorIndex();
        if (map[index] != index) gce.SetTransparentColorIndex(map[index]);
    }
}

} // namespace image
