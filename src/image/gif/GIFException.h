#pragma once
// Errors and warning texts of the GIF codec. Errors abort the operation with
// a GIFException; warnings report damaged but readable data through the
// owning image's OnWarning and let reading go on.

#include "image/EImageError.h"

#include <string>

namespace image {

// Every error of the GIF codec. A descendant of the library's base exception,
// so a caller that catches EImageError catches this one too.
class GIFException : public EImageError {
public:
    using EImageError::EImageError;
};

// Raises GIFException with `message`.
[[noreturn]] void RaiseGIFError(const std::string& message);

// Fixed texts of errors and warnings.
inline constexpr const char* SPrematureEOF = "Premature end of data";
inline constexpr const char* SBadSignature = "Invalid GIF signature";
inline constexpr const char* SBadScreenColors = "Invalid number of colors specified in Screen Descriptor";
inline constexpr const char* SBadImageColors = "Invalid number of colors specified in Image Descriptor";
inline constexpr const char* SUnknownBlockType = "Unknown GIF block type";
inline constexpr const char* SBadExtensionIntroducer = "Invalid extension introducer";
inline constexpr const char* SUnknownExtension = "Unknown extension type";
inline constexpr const char* SExtensionLabelMismatch = "Internal error: Extension Instance does not match Extension Label";
inline constexpr const char* SBadAppExtBlockSize = "Unsupported Application Extension block size";
inline constexpr const char* SBadGIFData = "Invalid GIF data";
inline constexpr const char* SScreenSizeExceeded = "Image exceeds Logical Screen size";
inline constexpr const char* SBadTrailer = "Invalid Image trailer";
inline constexpr const char* SColorTableOverflow = "Color table overflow";
inline constexpr const char* SBadColorIndex = "Invalid color index";
inline constexpr const char* SEmptyColorTable = "Color table is empty";
inline constexpr const char* SBadPixelCoordinates = "Invalid pixel coordinates";
inline constexpr const char* SEmptyImage = "Image is empty";
inline constexpr const char* SInvalidImageDimensions = "Invalid image dimensions";
inline constexpr const char* SNoColorTable = "No global or local color table defined";
inline constexpr const char* SDecoderUnderrun = "Decoder bit buffer under-run";
inline constexpr const char* SCircularDecoderTable = "Circular decoder table entry";
inline constexpr const char* SScreenWidthTooSmall = "Image width too small for contained frames";
inline constexpr const char* SScreenHeightTooSmall = "Image height too small for contained frames";
// Messages of the progress notifications.
inline constexpr const char* SLoading = "Loading...";
inline constexpr const char* SSaving = "Saving...";
inline constexpr const char* SUnsupportedVersion = "Unsupported GIF version";
inline constexpr const char* SColorNotInTable = "Color not in color table";
inline constexpr const char* SInvalidReductionMethod = "Invalid reduction method";
inline constexpr const char* SClipboardFailed = "Failed to store GIF on clipboard";
inline constexpr const char* SCopying = "Copying...";
inline constexpr const char* SOptimizing = "Optimizing...";
// A write the device did not take whole (raised as EInOutError).
inline constexpr const char* SStreamWriteError = "Stream write error";
// A frame (or all frames together) larger than the library's bitmap limit.
inline constexpr const char* SFrameTooLarge = SInvalidBitmapSize;

} // namespace image
