#pragma once
// The loader plug-in for JPEG files, over libjpeg (libjpeg-turbo). Loading
// decodes the whole rest of the stream in memory into a 24-bit bitmap (a CMYK
// or YCCK file in the colours djpeg gives it), or an 8-bit one over
// GrayPalette for a greyscale file, optionally at a reduced scale; saving encodes a baseline JPEG, optionally searching for the highest
// quality whose file fits a size limit.

#include "image/EImageError.h"
#include "image/TBitmapLoader.h"

#include <climits>
#include <cstdint>
#include <string>

namespace image {

// libjpeg's own complaint about a file or a request ("Not a JPEG file: starts
// with 0x89 0x50", "Premature end of JPEG file", "Corrupt JPEG data: ...").
class EJPEG : public EImageError {
public:
    using EImageError::EImageError;
};

// A picture whose bitmap, or whose decoding in libjpeg, would take more
// memory than the bound allows ("JPEG image too large: 16000 x 16000 pixels
// need more than 512 MB").
class EJPEGTooLarge : public EJPEG {
public:
    using EJPEG::EJPEG;
};

class TJPEGLoader : public TBitmapLoader {
public:
    // The quality libjpeg uses when none is given.
    static constexpr int DefaultQuality = 75;
    // A progressive file with more scans than this is refused: each scan
    // walks the whole image, so a hostile file could otherwise take minutes.
    static constexpr int MaxScans = 500;
    TJPEGLoader() = default;

    // "JPG", "JPEG" and "JPE" (any letter case).
    bool CanLoad(const std::string& ext) const override;
    // "JPG" and "JPEG".
    bool CanSave(const std::string& ext) const override;
    std::string GetLoadFilter() const override;
    std::string GetSaveFilter() const override;

    // Decodes the rest of `stream`. The bitmap is replaced only on success;
    // a damaged or truncated file raises EJPEG with libjpeg's message and
    // leaves it as it was; a picture beyond the memory bound (MaxMemory, or
    // else TLinearBitmap::MaxBitmapBytes for the bitmap and as much again
    // for libjpeg) raises EJPEGTooLarge before its bitmap is made, or as soon
    // as libjpeg reaches its part. A file whose pixels are all there but
    // which lacks only its end marker loads.
    void LoadFromStream(TBaseStream& stream, const std::string& ext, TLinearBitmap& bitmap) override;
    // Encodes `bitmap` (greyscale when IsGrayScale says so; 16-bit grey and
    // 32-bit bitmaps are converted row by row) and writes the file to
    // `stream`. An empty bitmap raises ELinearBitmap "Error in bitmap data";
    // errors of the stream pass through, nothing having been written before
    // the encoding succeeded.
    void SaveToStream(TBaseStream& stream, const std::string& ext, const TLinearBitmap& bitmap) override;

    // Quality for saving, 1..100; below 1 means libjpeg's default.
    int Quality() const { return m_quality; }
    void SetQuality(int value) { m_quality = value; }
    // The size limit of a saved file in bytes; below 1 means none. With a
    // limit, saving picks by bisection the highest quality in 1..Quality
    // whose file fits (the quality-1 file when none does).
    int MaxFileSize() const { return m_maxFileSize; }
    void SetMaxFileSize(int value) { m_maxFileSize = value; }
    // The smallest decoded size accepted when decoding at a reduced scale
    // (1/2, 1/4, 1/8); the defaults keep every image at full size.
    int MinWidth() const { return m_minWidth; }
    void SetMinWidth(int value) { m_minWidth = value; }
    int MinHeight() const { return m_minHeight; }
    void SetMinHeight(int value) { m_minHeight = value; }
    // The most memory one load may take, the bitmap and libjpeg's working
    // memory together, in bytes; 0 (the default) for the bounds above.
    int64_t MaxMemory() const { return m_maxMemory; }
    void SetMaxMemory(int64_t bytes) { m_maxMemory = bytes; }
    // The full-size dimensions of the last file whose header was read.
    int ImageWidth() const { return m_imageWidth; }
    int ImageHeight() const { return m_imageHeight; }

private:
    int m_quality = 0;
    int m_maxFileSize = 0;
    int m_minWidth = INT_MAX;
    int m_minHeight = INT_MAX;
    int m_imageWidth = 0;
    int m_imageHeight = 0;
    int64_t m_maxMemory = 0;
};

} // namespace image
