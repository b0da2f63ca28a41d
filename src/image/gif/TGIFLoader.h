#pragma once
// The loader plug-in for GIF files: a linear bitmap is read from a GIF as
// one still picture (the image's composite bitmap: the first frame, placed on
// the logical screen) and written as a one-frame GIF.

#include "image/TBitmapLoader.h"

#include <string>

namespace image {

class TGIFLoader : public TBitmapLoader {
public:
    // "GIF" (the registry passes the extension upper-cased).
    bool CanLoad(const std::string& ext) const override;
    bool CanSave(const std::string& ext) const override;
    std::string GetLoadFilter() const override;

    // Reads the GIF at the stream's position and makes `bitmap` its still
    // picture; a GIF without frames empties it. Only the frames up to the
    // first one with pixels are decoded (damage after it goes unnoticed).
    // Errors of the GIF codec (GIFException) pass through and leave `bitmap`
    // as it was.
    void LoadFromStream(TBaseStream& stream, const std::string& ext, TLinearBitmap& bitmap) override;
    // Writes `bitmap` as a one-frame GIF: 8-bit bitmaps keep their palette
    // and indices, the table cut after the highest index a pixel uses;
    // deeper ones are reduced to 256 colours and keep only the colours their
    // pixels use. The table is written padded to a power of two. With an
    // AlphaBitmap of the bitmap's size, its pixels whose alpha is below 128
    // become transparent (a deep bitmap is then reduced to 255 colours, so an
    // entry is left for them). Saving a 24-bit bitmap makes the octree
    // reduction of 8 bits with Floyd-Steinberg dithering the setting of every
    // image made afterwards. Nothing reaches the stream when encoding fails;
    // an empty bitmap raises "Unsupported GIF version".
    void SaveToStream(TBaseStream& stream, const std::string& ext, const TLinearBitmap& bitmap) override;

    // The alpha of the bitmaps saved from now on: an 8-bit bitmap of the same
    // size, one sample per pixel, as TPNGLoader::AlphaBitmap keeps it;
    // borrowed, null (the start) for none. One of another size is ignored.
    const TLinearBitmap* AlphaBitmap() const { return m_alphaBitmap; }
    void SetAlphaBitmap(const TLinearBitmap* alpha) { m_alphaBitmap = alpha; }

    // The colour (R + G * 256 + B * 65536) the bitmap shows at its
    // bottom-left pixel, as the library's bitmap reports a transparent
    // colour, when the last GIF loaded had transparency; -1 when it had none
    // or its first frame holds no pixels.
    int TransparentColor() const { return m_transparentColor; }

private:
    int m_transparentColor = -1;
    const TLinearBitmap* m_alphaBitmap = nullptr;
};

} // namespace image
