// The loader registry and the default spooling of TBitmapLoader, with small
// loaders of a test format.
#include "StreamTestHelpers.h"

#include "image/TBitmapLoader.h"
#include "image/TBitmapLoaders.h"
#include "image/TFileStream.h"
#include "image/TLinearBitmap.h"
#include "support/TempDir.h"

#include <QBuffer>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>

using namespace image;
using imagetest::Contents;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

// "RAW" + format byte + width + height (one byte each) + palette + pixels,
// through streams.
class TRawLoader : public TBitmapLoader {
public:
    std::string GetLoadFilter() const override { return "Raw test bitmap (*.raw)|*.raw"; }
    void LoadFromStream(TBaseStream& stream, const std::string& ext, TLinearBitmap& bitmap) override {
        lastExt = ext;
        uint8_t head[6];
        stream.Read(head, 6);
        if (std::memcmp(head, "RAW", 3) != 0) throw ELinearBitmap(SErrorInBitmapData);
        bitmap.New(head[4], head[5], static_cast<TPixelFormat>(head[3]));
        if (bitmap.Palette()) stream.Read(bitmap.Palette(), 768);
        stream.Read(bitmap.Map(), static_cast<int>(bitmap.Size()));
    }
    void SaveToStream(TBaseStream& stream, const std::string& ext, const TLinearBitmap& bitmap) override {
        lastExt = ext;
        const uint8_t head[6] = {'R', 'A', 'W', static_cast<uint8_t>(bitmap.PixelFormat()),
                                 static_cast<uint8_t>(bitmap.Width()), static_cast<uint8_t>(bitmap.Height())};
        stream.Write(head, 6);
        if (failAfterHeader) throw ELinearBitmap(SUnsupportedPixelFormat);
        if (bitmap.Palette()) stream.Write(bitmap.Palette(), 768);
        stream.Write(bitmap.Map(), static_cast<int>(bitmap.Size()));
    }
    std::string lastExt;
    bool failAfterHeader = false;
};

// A format that only works on files, so the stream defaults spool.
class TFileOnlyLoader : public TBitmapLoader {
public:
    std::string GetLoadFilter() const override { return "Files only (*.fo;*.jpg)|*.fo;*.jpg"; }
    void LoadFromFile(const std::string& fileName, const std::string&, TLinearBitmap& bitmap) override {
        seenName = fileName;
        struct stat st {};
        ::stat(fileName.c_str(), &st);
        seenMode = st.st_mode & 0777;
        seenSize = st.st_size;
        if (seenSize < 1 << 20) seenBytes = ReadFile(fileName);
        bitmap.New(1, 1, TPixelFormat::pf8bit);
    }
    void SaveToFile(const std::string& fileName, const std::string&, const TLinearBitmap&) override {
        seenName = fileName;
        WriteFile(fileName, "written by file");
    }
    std::string seenName, seenBytes;
    int64_t seenSize = 0;
    unsigned seenMode = 0;
};

// Overrides neither side of either pair.
class TNoWorkLoader : public TBitmapLoader {
public:
    std::string GetLoadFilter() const override { return "Nothing (*.nil)|*.nil"; }
};

// Many bytes without holding them.
class TGeneratorStream : public TBaseStream {
public:
    explicit TGeneratorStream(int64_t size) : m_size(size) { m_canRead = true; }
    int Write(const void*, int) override { return 0; }
    int Read(void* buf, int count) override {
        const int n = static_cast<int>(std::min<int64_t>(count, m_size - m_pos));
        std::memset(buf, static_cast<int>(m_pos / 4096 % 256), static_cast<size_t>(n));
        m_pos += n;
        if (m_checkIO && n < count) throw EInOutError(SReadLessThanExpected);
        return n;
    }
    int64_t Available() const override { return m_size - m_pos; }

private:
    int64_t m_size;
    int64_t m_pos = 0;
};

class BitmapLoaderRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterBitmapLoader(raw);
        RegisterBitmapLoader(fileOnly);
        RegisterBitmapLoader(noWork);
    }
    void TearDown() override {
        image::BitmapLoaders().Remove(raw);
        image::BitmapLoaders().Remove(fileOnly);
        image::BitmapLoaders().Remove(noWork);
    }
    static TLinearBitmap Sample() {
        TLinearBitmap b;
        b.New(3, 2, TPixelFormat::pf8bit);
        for (int i = 0; i < 6; ++i) b.Map()[i] = static_cast<uint8_t>(10 * i);
        b.Palette()[5] = 77;
        return b;
    }

    TRawLoader raw;
    TFileOnlyLoader fileOnly;
    TNoWorkLoader noWork;
};

std::vector<uint8_t> Pixels(const TLinearBitmap& b) { return {b.Map(), b.Map() + b.Size()}; }

} // namespace

TEST_F(BitmapLoaderRegistry, ChoosesTheFirstLoaderByUpperCaseExtension) {
    auto& registry = image::BitmapLoaders();
    EXPECT_EQ(&registry.FindLoader("raw"), &raw);
    EXPECT_EQ(&registry.FindLoader("RAW"), &raw);
    EXPECT_EQ(&registry.FindSaver("Fo"), &fileOnly);
    EXPECT_EQ(&registry.FindLoader("JP"), &fileOnly); // a substring of "*.jpg" in the filter
    EXPECT_THROW(registry.FindLoader("RA W"), EUnsupportedFileFormat);
    EXPECT_FALSE(raw.CanLoad(""));

    // Registering again changes nothing; the earlier registration wins.
    TRawLoader second;
    RegisterBitmapLoader(second);
    RegisterBitmapLoader(raw);
    EXPECT_EQ(&registry.FindLoader("RAW"), &raw);
    registry.Remove(raw);
    EXPECT_EQ(&registry.FindLoader("RAW"), &second);
    registry.Remove(second);
    EXPECT_THROW(registry.FindLoader("RAW"), EUnsupportedFileFormat);
}

TEST_F(BitmapLoaderRegistry, FilesRoundTripThroughTheRegistry) {
    TempDir dir;
    const std::string path = (dir / "dots.in.dir" / "picture.Raw").string();
    std::filesystem::create_directories(dir / "dots.in.dir");
    const TLinearBitmap b = Sample();
    b.SaveToFile(path);
    EXPECT_EQ(raw.lastExt, "RAW");
    TLinearBitmap back;
    back.New(9, 9, TPixelFormat::pf24bit);
    back.LoadFromFile(path);
    EXPECT_EQ(Pixels(back), Pixels(b));
    EXPECT_EQ(back.Palette()[5], 77);

    EXPECT_THROW(back.LoadFromFile((dir / "dots.in.dir" / "noext").string()), EUnsupportedFileFormat);
    EXPECT_TRUE(back.Present()); // the lookup failed before anything was disposed
    EXPECT_THROW(back.LoadFromFile((dir / "absent.raw").string()), EInOutError);
    EXPECT_FALSE(back.Present()); // disposed before the loader ran
}

TEST_F(BitmapLoaderRegistry, AFailedSaveKeepsTheOldFile) {
    TempDir dir;
    const std::string path = (dir / "keep.raw").string();
    WriteFile(path, "old contents");
    raw.failAfterHeader = true;
    EXPECT_THROW(Sample().SaveToFile(path), ELinearBitmap);
    EXPECT_EQ(ReadFile(path), "old contents");
    EXPECT_EQ(testsupport::FilesIn(dir.path()), 1u);
}

TEST_F(BitmapLoaderRegistry, StreamsAndQtDevices) {
    TMemStream m;
    Sample().SaveToStream(m, "raw");
    EXPECT_EQ(raw.lastExt, "RAW"); // loaders see the extension upper-cased
    m.SetPosition(0);
    TLinearBitmap back;
    back.LoadFromStream(m, "raw");
    EXPECT_EQ(Pixels(back), Pixels(Sample()));

    QByteArray bytes = QByteArray::fromStdString(Contents(m));
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    TLinearBitmap fromDevice;
    fromDevice.LoadFromTStream(device, "RAW");
    EXPECT_EQ(Pixels(fromDevice), Pixels(Sample()));
}

TEST_F(BitmapLoaderRegistry, LoadingAStreamSpoolsAllOfItIntoAnExclusiveTemporaryFile) {
    TMemStream m;
    const std::string data = imagetest::Pattern(10000);
    m.Write(data.data(), 10000);
    m.SetPosition(100);
    TLinearBitmap b;
    b.LoadFromStream(m, "fo");
    EXPECT_TRUE(b.Present());
    EXPECT_EQ(fileOnly.seenBytes, data.substr(100));
    EXPECT_EQ(fileOnly.seenMode, 0600u);
    EXPECT_TRUE(fileOnly.seenName.ends_with(".FO")) << fileOnly.seenName;
    EXPECT_EQ(std::filesystem::path(fileOnly.seenName).parent_path(), std::filesystem::temp_directory_path());
    EXPECT_FALSE(std::filesystem::exists(fileOnly.seenName)); // removed afterwards
    EXPECT_TRUE(m.CheckIO());                                   // restored after the copy
}

TEST_F(BitmapLoaderRegistry, SpoolingNeverCutsLargeInput) {
    // More than the 100 MiB the spooling once stopped at.
    const int64_t size = (int64_t(100) << 20) + 4096 * 3 + 5;
    TGeneratorStream big(size);
    TLinearBitmap b;
    b.LoadFromStream(big, "fo");
    EXPECT_EQ(fileOnly.seenSize, size);
    EXPECT_TRUE(big.Eof());
}

TEST_F(BitmapLoaderRegistry, SavingToAStreamSpoolsThroughSaveToFile) {
    TMemStream m;
    Sample().SaveToStream(m, "fo");
    EXPECT_EQ(Contents(m), "written by file");
    EXPECT_FALSE(std::filesystem::exists(fileOnly.seenName));
}

TEST_F(BitmapLoaderRegistry, ALoaderWithNoWayToWorkRaisesInsteadOfRecursing) {
    TMemStream m;
    m.Write("x", 1);
    m.SetPosition(0);
    TLinearBitmap b;
    EXPECT_THROW(b.LoadFromStream(m, "nil"), EUnsupportedFileFormat);
    EXPECT_THROW(Sample().SaveToStream(m, "nil"), EUnsupportedFileFormat);
    TempDir dir;
    EXPECT_THROW(Sample().SaveToFile((dir / "a.nil").string()), EUnsupportedFileFormat);
    // The loader is usable again afterwards (its guards were reset).
    EXPECT_THROW(b.LoadFromStream(m, "nil"), EUnsupportedFileFormat);
}
