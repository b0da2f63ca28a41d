#pragma once
// A GIF colour table: up to 256 R, G, B entries. The storage always holds 256
// entries and those past Count are kept black, so a pixel index (0..255) can
// look its colour up in any table without a range check when frames are
// rendered.
//
// TGIFGlobalColorMap (the header's) and TGIFLocalColorMap (a frame's) supply
// the owner-specific parts: where warnings go, which pixels use the table
// (histogram and remapping for Optimize) and what to drop when it changes.

#include "image/gif/GIFTypes.h"
#include "platform/TPersistent.h"

#include <array>
#include <cstdint>
#include <string>

class QIODevice;
class QImage;

namespace image {

class TGIFSubImage;

// One entry as stored in the file.
struct TGIFColor {
    uint8_t Red = 0;
    uint8_t Green = 0;
    uint8_t Blue = 0;
};
static_assert(sizeof(TGIFColor) == 3, "colour table entries are 3 bytes in the file");

// Pixel counts per entry, as Optimize sorts them.
struct TGIFHistogramEntry {
    int64_t Count = 0;
    int Index = 0;
};
using TGIFHistogram = std::array<TGIFHistogramEntry, 256>;
// Old entry index -> new entry index.
using TGIFColorMapping = std::array<uint8_t, 256>;

class TGIFColorMap : public platform::TPersistent {
public:
    static constexpr int MaxColors = 256;

    TGIFColorMap() = default;
    TGIFColorMap(const TGIFColorMap&) = delete;
    TGIFColorMap& operator=(const TGIFColorMap&) = delete;
    ~TGIFColorMap() override = default;

    // Entries in use, 0..256.
    int Count() const { return m_count; }
    // Entries the table has room for before it grows (16, then multiples of
    // 32 up to 256); 0 for a cleared table.
    int Capacity() const { return m_capacity; }
    // True after Optimize; written as the table's sort flag.
    bool Optimized() const { return m_optimized; }
    // All 256 entries; those from Count on are black.
    const TGIFColor* Data() const { return m_entries.data(); }
    const TGIFColor& Entry(int index) const { return m_entries[static_cast<uint8_t>(index)]; }

    // Copies entries, count, capacity and the optimised flag; then Changed.
    void Assign(const TGIFColorMap& source);
    // Empties the table.
    void Clear();
    // Appends a colour and returns its index; a full table raises
    // GIFException "Color table overflow".
    int Add(TColor color);
    // The index of `color`, appended when absent.
    int AddUnique(TColor color);
    // The index of an exact R, G, B match, or -1. A table that is not
    // optimised is searched from its last entry down, an optimised one from
    // its first entry up.
    int IndexOfColor(TColor color) const;
    // Removes an entry; an index outside the table raises GIFException
    // "Invalid color index".
    void Delete(int index);
    // The colour of an entry. An index outside the table warns "Invalid color
    // index" and gives entry 0; an empty table then raises "Color table is
    // empty".
    TColor Colors(int index);
    // 0 for an empty table, 1 for up to 2 entries, else the smallest n with
    // 2^n >= Count.
    int BitsPerPixel() const { return BitsFor(m_count); }
    // The same for a table of `colors` entries.
    static int BitsFor(int colors);

    // Replaces the table with `count` entries (0..256) read from the stream;
    // short data raises "Premature end of data".
    void LoadFromStream(QIODevice& stream, int count);
    // Replace the table with up to 256 colours: a palette's entries, B, G, R,
    // reserved quadruples (as a DIB colour table holds them), or a bitmap's
    // colour table (none for a bitmap without one). Changed is called when
    // colours were taken.
    void ImportPalette(const TGIFPalette& palette);
    void ImportRGB(const uint8_t* entries, int count);
    void ImportDIBColors(const QImage& bitmap);
    // The entries as a palette; empty for an empty table.
    TGIFPalette ExportPalette() const;

    // Writes the entries, padded with black ones to 2^BitsPerPixel (or to
    // 2^bits when that is more); nothing for an empty table.
    void SaveToStream(QIODevice& stream, int bits = 0) const;

    // Swaps two entries; the frames that use the table keep their colours
    // (their pixels and transparent indices are swapped with them). An
    // index outside the table raises GIFException "Invalid color index".
    void Exchange(int a, int b);

    // Sorts the entries by how many pixels use them, most used first, and
    // drops the unused ones; the pixels (and transparent indices) of the
    // frames that use the table are remapped. False, with nothing changed,
    // for a table of fewer than 2 entries.
    virtual bool Optimize();

    // Reports damaged but readable data to the owning image; nothing here.
    virtual void Warning(TGIFSeverity severity, const std::string& message);

protected:
    // Adds the pixel counts of the frames that use this table.
    virtual void BuildHistogram(TGIFHistogram& histogram);
    // Rewrites the pixels of the frames that use this table.
    virtual void MapImages(const TGIFColorMapping& map);
    // Called after every change of the entries.
    virtual void Changed() {}

    // Helpers of the owners: count the pixels of one frame, or rewrite them
    // (and its transparent index when it is transparent) through `map`.
    static void CountFramePixels(const TGIFSubImage& frame, TGIFHistogram& histogram);
    static void MapFramePixels(TGIFSubImage& frame, const TGIFColorMapping& map);

private:
    void GrowFor(int count);

    std::array<TGIFColor, MaxColors> m_entries{};
    int m_count = 0;
    int m_capacity = 0;
    bool m_optimized = false;
};

} // namespace image
