#pragma once
// Exceptions of the image library. Every failure of the streams, the bitmap,
// the loader registry and the codecs built on them is one of these, carrying
// a fixed English text (formatted where the text names a file or a reason),
// so a caller can catch EImageError alone and show or drop what() as it likes.

#include <stdexcept>
#include <string>

namespace image {

// The library's base exception; raised as itself where no narrower class
// applies ("Unsupported pixel format" of Paint, "Cannot assign ...").
class EImageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Input/output failures of streams and files ("Read less than expected",
// "Error opening "<name>" - <reason>", ...).
class EInOutError : public EImageError {
public:
    using EImageError::EImageError;
};

// Operations a stream adapter cannot do ("Seeking not supported").
class EStreamError : public EImageError {
public:
    using EImageError::EImageError;
};

// A buffered stream created with an unusable buffer size.
class EStreamCreate : public EImageError {
public:
    using EImageError::EImageError;
};

// Bitmap failures: "Unsupported pixel format", "Invalid bitmap size",
// "Error in bitmap data".
class ELinearBitmap : public EImageError {
public:
    using EImageError::EImageError;
};

// No loader or saver registered for an extension.
class EUnsupportedFileFormat : public EImageError {
public:
    using EImageError::EImageError;
};

// An internal consistency check that bad input can reach (an invalid Huffman
// code, an impossible mode). Raised instead of assert() so that damaged data
// never aborts the program.
class EAssertionFailed : public EImageError {
public:
    using EImageError::EImageError;
};

// Fixed texts shared by several classes.
inline constexpr const char* SReadLessThanExpected = "Read less than expected";
inline constexpr const char* SUnsupportedPixelFormat = "Unsupported pixel format";
inline constexpr const char* SInvalidBitmapSize = "Invalid bitmap size";
inline constexpr const char* SErrorInBitmapData = "Error in bitmap data";
inline constexpr const char* SUnsupportedFileFormat = "Unsupported file format";

} // namespace image
