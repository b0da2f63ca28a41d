#pragma once
// The loader plug-in for PNG files and for single-image MNG files (a PNG
// chunk sequence behind the MNG signature), with the library's own streams,
// CRC-32 and deflate.
//
// Reading keeps the image's own pixel format where the bitmap has it: grey
// and palette images become 8-bit palette bitmaps (grey below 8 bits over a
// ramp of 2^depth levels), 16-bit grey stays 16-bit, colour becomes 24-bit;
// of other 16-bit samples the high byte is kept. Alpha is dropped unless
// KeepAlpha asks for it. Gamma is read, never applied.
//
// Writing makes 8-bit grey (a palette bitmap whose palette is the grey
// ramp), 8-bit palette, 16-bit grey and 24-bit colour files, with a choice
// of row filters and an optional lossy pre-pass that makes the rows compress
// better. The settings of the last file read (TransparentColor, Gamma,
// SuggestedPalette) are carried over into the next one written, as far as
// they fit that image.

#include "image/TBitmapLoader.h"
#include "image/TLinearBitmap.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace image {

class TMemStream;

// Progress of long PNG operations in percent: called once per row read
// (the rows finished before it * 100 / all rows, Adam7 passes counted) and
// after each trial write of filter mode -3. Empty by default.
inline std::function<void(int percent)> ProgressUpdate;

class TPNGLoader : public TBitmapLoader {
public:
    TPNGLoader();
    ~TPNGLoader() override;

    // "PNG" and "MNG" (upper case, exactly).
    bool CanLoad(const std::string& ext) const override;
    bool CanSave(const std::string& ext) const override;
    std::string GetLoadFilter() const override;

    // Decodes the rest of `stream` ("MNG" files: the first image). Damaged
    // data raises EImageError ("Invalid PNG header", "Invalid PNG data",
    // "Unsupported PNG data", "CRC error", "Adler32 error", the inflater's
    // "Error in compressed data"), a file cut short before its image data
    // has been read raises EInOutError "Read less than expected"; the bitmap
    // is then left empty. A file that ends after its image data loads.
    void LoadFromStream(TBaseStream& stream, const std::string& ext, TLinearBitmap& bitmap) override;
    // Writes `bitmap` as PNG, or for "MNG" as a one-image MNG file. An empty
    // or 32-bit bitmap raises ELinearBitmap "Unsupported pixel format", a
    // FilterMode outside -3..4 EAssertionFailed; errors of the stream pass
    // through (a partial file may then be left behind).
    void SaveToStream(TBaseStream& stream, const std::string& ext, const TLinearBitmap& bitmap) override;

    // Keep transparency beside the image on reading (AlphaBitmap,
    // AlphaTable, SuggestedPalette).
    bool KeepAlpha() const { return m_keepAlpha; }
    void SetKeepAlpha(bool value) { m_keepAlpha = value; }
    // The PLTE of a colour image that is not a palette image (768 bytes,
    // B, G, R; entries past the chunk black), read only with KeepAlpha;
    // written for colour images. Null when there is none.
    const uint8_t* SuggestedPalette() const { return m_suggestedPalette ? m_suggestedPalette->data() : nullptr; }
    // Copies 768 bytes B, G, R; null removes the palette.
    void SetSuggestedPalette(const uint8_t* bgr);
    // The alpha samples of the last grey + alpha or RGBA image read with
    // KeepAlpha (an 8-bit grey bitmap of the image's size); null otherwise.
    const TLinearBitmap* AlphaBitmap() const { return m_alphaBitmap.get(); }
    // The tRNS alpha of each palette entry of the last palette image read
    // with KeepAlpha (256 bytes, 255 past the chunk); null otherwise.
    const uint8_t* AlphaTable() const { return m_alphaTable ? m_alphaTable->data() : nullptr; }
    // The gAMA value / 100000 of the last file read, 0 when absent; written
    // when positive.
    double Gamma() const { return m_gamma; }
    void SetGamma(double value) { m_gamma = value; }
    // -1 for none. Palette: the first entry whose tRNS alpha is 0; grey: the
    // 16-bit grey sample; RGB (8-bit files only): R + G << 8 + B << 16.
    // Written only when it is a possible value for the image written.
    int TransparentColor() const { return m_transparentColor; }
    void SetTransparentColor(int value) { m_transparentColor = value; }
    // The IHDR bit depth of the last image read.
    int BitDepth() const { return m_bitDepth; }
    // Row filter for writing: 0..4 that filter for every row; -1 per row the
    // least sum of absolute (signed) bytes; -2 per row the most runs of five
    // equal bytes; -3 the smallest file of all of these (ties to the first
    // of -2, -1, 0, 1, 2, 3, 4).
    int FilterMode() const { return m_filterMode; }
    void SetFilterMode(int value) { m_filterMode = value; }
    // Non-zero (positive): before writing, samples are moved by at most this
    // much (palette images: to a colour at most this far, summed over
    // B, G, R) towards what the row filter predicts. Not for 16-bit grey or
    // 24-bit MNG.
    int LossyTolerance() const { return m_lossyTolerance; }
    void SetLossyTolerance(int value) { m_lossyTolerance = value; }

private:
    struct TReader;

    // Writing (TPNGLoaderWrite.cpp).
    int LossyPrePass(TLinearBitmap& image) const;
    void WriteFile(TBaseStream& stream, bool mng, const TLinearBitmap& image, TMemStream& idat) const;

    bool m_keepAlpha = false;
    std::unique_ptr<std::array<uint8_t, 768>> m_suggestedPalette;
    std::unique_ptr<TLinearBitmap> m_alphaBitmap;
    std::unique_ptr<std::array<uint8_t, 256>> m_alphaTable;
    double m_gamma = 0;
    int m_transparentColor = -1;
    int m_bitDepth = 0;
    int m_filterMode = -1;
    int m_lossyTolerance = 0;
};

} // namespace image
