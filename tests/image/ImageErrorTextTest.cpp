// Every failure of the streams and the bitmap carries its fixed text and its
// exception class; callers match on both.
#include "StreamTestHelpers.h"

#include "image/EImageError.h"
#include "image/TBitmapLoaders.h"
#include "image/TBufferedStream.h"
#include "image/TFileStream.h"
#include "image/THostStream.h"
#include "image/TLinearBitmap.h"
#include "image/TMemStream.h"
#include "image/TSeekableHostStream.h"
#include "support/TempDir.h"

#include <QImage>
#include <QPainter>
#include <functional>
#include <typeinfo>

using namespace image;
using imagetest::TPieceStream;
using testsupport::TempDir;

namespace {

struct ErrorCase {
    const char* name;
    std::function<void()> action;
    std::string text;
    const std::type_info& type;
};

class TOther : public TAssignObject {
public:
    std::string ClassName() const override { return "TOther"; }
};

void Check(const ErrorCase& c) {
    SCOPED_TRACE(c.name);
    try {
        c.action();
        ADD_FAILURE() << "no exception";
    } catch (const EImageError& e) {
        EXPECT_EQ(std::string(e.what()), c.text);
        EXPECT_EQ(typeid(e), c.type) << typeid(e).name();
    }
}

} // namespace

TEST(ImageErrorText, FileStreamFailures) {
    TempDir dir;
    const std::string missing = (dir / "missing.png").string();
    const std::string existing = (dir / "a.bin").string();
    testsupport::WriteFile(existing, "abc");

    const ErrorCase cases[] = {
        {"open missing", [&] { TFileStream f(missing, TFileStream::fmRead); },
         "Error opening \"" + missing + "\" - No such file or directory", typeid(EInOutError)},
        {"no access bits", [&] { TFileStream f(existing, TFileStream::fmCreate); },
         "Either read, write or full access must be specified in call to CreateFile", typeid(EInOutError)},
        {"read a write-only file", [&] {
             TFileStream f(existing, TFileStream::fmWrite);
             char b;
             f.Read(&b, 1);
         },
         "Error reading from stream - Bad file descriptor", typeid(EInOutError)},
        {"write a read-only file", [&] {
             TFileStream f(existing, TFileStream::fmRead);
             f.Write("x", 1);
         },
         "Error writing to stream - Bad file descriptor", typeid(EInOutError)},
        {"short read with CheckIO", [&] {
             TFileStream f(existing, TFileStream::fmRead);
             char b[10];
             f.Read(b, 10);
         },
         "Read less than expected", typeid(EInOutError)},
        {"negative position", [&] {
             TFileStream f(existing, TFileStream::fmRead);
             f.SetPosition(-1);
         },
         "Error moving file pointer - Invalid argument", typeid(EInOutError)},
        {"size of a deleted stream", [&] {
             TFileStream f(existing, TFileStream::fmRead);
             f.Delete();
             f.GetSize();
         },
         "IO-error: Bad file descriptor", typeid(EInOutError)},
        {"delete twice", [&] {
             testsupport::WriteFile(existing, "abc");
             TFileStream f(existing, TFileStream::fmRead);
             f.Delete();
             f.Delete();
         },
         "Error deleting \"" + existing + "\" - No such file or directory", typeid(EInOutError)},
        {"truncate a read-only file", [&] {
             testsupport::WriteFile(existing, "abc");
             TFileStream f(existing, TFileStream::fmRead);
             f.Truncate();
         },
         "Error truncating file \"" + existing + "\" - Invalid argument", typeid(EInOutError)},
    };
    for (const auto& c : cases) Check(c);
}

TEST(ImageErrorText, MemoryBufferedAndAdapterFailures) {
    const ErrorCase cases[] = {
        {"memory short read", [] {
             TMemStream m;
             m.Write("ab", 2);
             m.SetPosition(0);
             char b[3];
             m.Read(b, 3);
         },
         "Error reading from stream - TMemStream", typeid(EInOutError)},
        {"memory position past the end", [] {
             TMemStream m;
             m.SetPosition(1);
         },
         "Error moving stream pointer", typeid(EInOutError)},
        {"memory negative position", [] {
             TMemStream m;
             m.Write("ab", 2);
             m.SetPosition(-1);
         },
         "Error moving stream pointer", typeid(EInOutError)},
        {"buffer of one byte", [] {
             TMemStream m;
             TBufferedStream b(m, 1, 0);
         },
         "Invalid buffer size", typeid(EStreamCreate)},
        {"buffered short read", [] {
             TPieceStream inner("abc");
             TBufferedStream b(inner, 16, 0);
             char buf[8];
             b.Read(buf, 8);
         },
         "Read less than expected", typeid(EInOutError)},
        {"sequential adapter seek", [] {
             TMemStream m;
             THostStream h(m);
             h.seek(0);
         },
         "Seeking not supported", typeid(EStreamError)},
        {"seek origin 3", [] {
             TMemStream m;
             TSeekableHostStream h(m);
             h.Seek(0, 3);
         },
         "Unknown seek origin", typeid(EStreamError)},
    };
    for (const auto& c : cases) Check(c);
}

TEST(ImageErrorText, BitmapAndRegistryFailures) {
    const ErrorCase cases[] = {
        {"format 4", [] { TLinearBitmap().New(1, 1, TPixelFormat::pf4bit); }, "Unsupported pixel format",
         typeid(ELinearBitmap)},
        {"zero width", [] { TLinearBitmap().New(0, 1, TPixelFormat::pf8bit); }, "Invalid bitmap size",
         typeid(ELinearBitmap)},
        {"too large", [] { TLinearBitmap().New(65535, 65535, TPixelFormat::pf24bit); }, "Invalid bitmap size",
         typeid(ELinearBitmap)},
        {"to 16-bit grey", [] {
             TLinearBitmap b;
             b.New(1, 1, TPixelFormat::pf24bit);
             b.ChangePixelFormat(TPixelFormat::pf16bit);
         },
         "Unsupported pixel format", typeid(ELinearBitmap)},
        {"paint empty", [] {
             QImage target(4, 4, QImage::Format_RGB32);
             QPainter p(&target);
             TLinearBitmap().Paint(p, QRect(0, 0, 4, 4), false);
         },
         "Unsupported pixel format", typeid(EImageError)},
        {"no loader", [] { BitmapLoaders().FindLoader("xyz"); }, "Unsupported file format: XYZ",
         typeid(EUnsupportedFileFormat)},
        {"no loader, no extension", [] { BitmapLoaders().FindLoader(""); }, "Unsupported file format: ",
         typeid(EUnsupportedFileFormat)},
        {"no saver", [] { BitmapLoaders().FindSaver("Tga"); }, "Unsupported file format: TGA",
         typeid(EUnsupportedFileFormat)},
        {"unrelated classes", [] {
             TLinearBitmap b;
             TOther other;
             b.Assign(other);
         },
         "Cannot assign TOther to TLinearBitmap", typeid(EImageError)},
        {"unrelated classes, other way", [] {
             TLinearBitmap b;
             TOther other;
             b.AssignTo(other);
         },
         "Cannot assign TLinearBitmap to TOther", typeid(EImageError)},
    };
    for (const auto& c : cases) Check(c);
}
