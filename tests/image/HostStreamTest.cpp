// The adapters between the library's streams and Qt's QIODevice.
#include "StreamTestHelpers.h"

#include "image/THostFilterStream.h"
#include "image/THostStream.h"
#include "image/TSeekableHostStream.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

using namespace image;
using imagetest::Contents;
using imagetest::Pattern;

TEST(HostStream, SequentialDeviceOverALibraryStream) {
    TMemStream m;
    m.Write("hello world", 11);
    m.SetPosition(6);
    {
        THostStream dev(m);
        EXPECT_FALSE(m.CheckIO()); // Qt readers expect short reads, not exceptions
        EXPECT_TRUE(dev.isOpen());
        EXPECT_TRUE(dev.isSequential());
        EXPECT_EQ(dev.bytesAvailable(), 5);
        EXPECT_EQ(dev.read(100), QByteArray("world"));
        EXPECT_TRUE(dev.atEnd());
        EXPECT_EQ(dev.write("!", 1), 1);
        EXPECT_THROW(dev.seek(0), EStreamError);
    }
    EXPECT_TRUE(m.CheckIO());
    EXPECT_EQ(Contents(m), "hello world!");
}

TEST(HostStream, SeekableDeviceFollowsTheLibraryStream) {
    TMemStream m;
    const std::string data = Pattern(10000);
    m.Write(data.data(), 10000);
    m.SetPosition(100);
    TSeekableHostStream dev(m);
    EXPECT_FALSE(dev.isSequential());
    EXPECT_EQ(dev.pos(), 100);
    EXPECT_EQ(dev.size(), 10000);
    EXPECT_EQ(dev.read(4), QByteArray(data.data() + 100, 4));
    EXPECT_EQ(m.GetPosition(), 104); // unbuffered: nothing read ahead
    ASSERT_TRUE(dev.seek(9000));
    EXPECT_EQ(m.GetPosition(), 9000);
    EXPECT_EQ(dev.readAll().size(), 1000);
    EXPECT_EQ(dev.Seek(-10, 2), 9990);
    EXPECT_EQ(dev.Seek(5, 1), 9995);
    EXPECT_EQ(dev.Seek(7, 0), 7);
    EXPECT_EQ(dev.pos(), 7);
    EXPECT_THROW(dev.seek(10001), EInOutError); // the memory stream's own limit
}

TEST(HostStream, SetSizeCutsOrKeepsThePosition) {
    TMemStream m;
    const std::string data = Pattern(100);
    m.Write(data.data(), 100);
    TSeekableHostStream dev(m);
    dev.seek(20);
    dev.SetSize(50); // cut behind the position: the position returns
    EXPECT_EQ(m.GetSize(), 50);
    EXPECT_EQ(dev.pos(), 20);
    dev.seek(40);
    dev.SetSize(30); // cut before the position: it stays at the cut
    EXPECT_EQ(m.GetSize(), 30);
    EXPECT_EQ(dev.pos(), 30);
    dev.SetSize(30); // the same size changes nothing
    EXPECT_EQ(m.GetSize(), 30);
    EXPECT_EQ(Contents(m), data.substr(0, 30));
}

TEST(HostStream, QtCanWriteAndReadAnImageThroughTheAdapter) {
    QImage picture(7, 5, QImage::Format_RGB32);
    picture.fill(qRgb(10, 200, 30));
    TMemStream m;
    {
        TSeekableHostStream dev(m);
        ASSERT_TRUE(picture.save(&dev, "PNG"));
    }
    EXPECT_GT(m.GetSize(), 8);
    m.SetPosition(0);
    TSeekableHostStream dev(m);
    QImageReader reader(&dev, "PNG");
    const QImage back = reader.read();
    ASSERT_FALSE(back.isNull()) << reader.errorString().toStdString();
    EXPECT_EQ(back.size(), picture.size());
    EXPECT_EQ(back.pixel(3, 2), qRgb(10, 200, 30));
}

TEST(HostFilterStream, LibraryStreamOverAQBuffer) {
    QByteArray bytes("0123456789");
    QBuffer buffer(&bytes);
    ASSERT_TRUE(buffer.open(QIODevice::ReadWrite));
    THostFilterStream s(buffer);
    EXPECT_TRUE(s.CanRead());
    EXPECT_TRUE(s.CanWrite());
    EXPECT_EQ(s.GetSize(), 10);
    s.SetPosition(3);
    char buf[4];
    EXPECT_EQ(s.Read(buf, 4), 4);
    EXPECT_EQ(std::string(buf, 4), "3456");
    EXPECT_EQ(s.Available(), 3);
    EXPECT_EQ(s.Read(buf, 4), 3); // short at the end, no check of its own
    EXPECT_EQ(s.Read(buf, 4), 0);
    EXPECT_TRUE(s.Eof());
    s.SetPosition(5);
    s.Truncate();
    EXPECT_EQ(bytes, QByteArray("01234"));
    EXPECT_EQ(s.Write("ab", 2), 2);
    EXPECT_EQ(bytes, QByteArray("01234ab"));
    EXPECT_THROW(s.SetPosition(-1), EInOutError);
}

TEST(HostFilterStream, AClosedDeviceRaises) {
    QBuffer buffer;
    THostFilterStream s(buffer);
    char c;
    EXPECT_THROW(s.Read(&c, 1), EInOutError);
    EXPECT_THROW(s.Write(&c, 1), EInOutError);
}
