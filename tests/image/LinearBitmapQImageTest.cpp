// Conversions between the linear bitmap and QImage, painting, and the
// linear graphic.
#include "image/EImageError.h"
#include "image/LinearBitmapTables.h"
#include "image/TLinearBitmap.h"
#include "image/TLinearGraphic.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

using namespace image;

namespace {

std::vector<uint8_t> Pixels(const TLinearBitmap& b) { return {b.Map(), b.Map() + b.Size()}; }

// A bitmap of the format whose bytes run through many values (and, for
// pf8bit, a palette that is not the grey ramp).
TLinearBitmap Sample(TPixelFormat format, int w = 5, int h = 3) {
    TLinearBitmap b;
    b.New(w, h, format);
    for (int64_t i = 0; i < b.Size(); ++i) b.Map()[i] = static_cast<uint8_t>(i * 37 + 11);
    if (format == TPixelFormat::pf32bit)
        for (int64_t i = 3; i < b.Size(); i += 4) b.Map()[i] = 0;
    if (format == TPixelFormat::pf8bit)
        for (int i = 0; i < 768; ++i) b.Palette()[i] = static_cast<uint8_t>(255 - i / 3);
    return b;
}

// The colour a bitmap means at (x, y).
QRgb ColourAt(const TLinearBitmap& b, int x, int y) {
    const uint8_t* p = b.ScanLine(y) + x * b.PixelSize();
    switch (b.PixelFormat()) {
    case TPixelFormat::pf8bit: {
        const uint8_t* e = b.Palette() + 3 * p[0];
        return qRgb(e[2], e[1], e[0]);
    }
    case TPixelFormat::pf16bit: return qRgb(p[1], p[1], p[1]);
    default: return qRgb(p[2], p[1], p[0]);
    }
}

class TFakeGraphic : public platform::TGraphic {
public:
    explicit TFakeGraphic(bool renders) : m_renders(renders) {}
    std::string ClassName() const override { return "TFakeGraphic"; }
    using platform::TGraphic::AssignTo;
    void AssignTo(QImage& dest) const override {
        if (!m_renders) platform::TGraphic::AssignTo(dest);
        dest = QImage(2, 2, QImage::Format_Indexed8);
        dest.setColorTable({qRgb(1, 2, 3), qRgb(4, 5, 6)});
        dest.fill(1);
    }
    void Draw(QPainter& canvas, const QRect& rect) const override { canvas.fillRect(rect, QColor(9, 8, 7)); }
    bool Empty() const override { return false; }
    int Width() const override { return 3; }
    int Height() const override { return 2; }
    void SetWidth(int) override {}
    void SetHeight(int) override {}
    void LoadFromStream(QIODevice&) override {}
    void SaveToStream(QIODevice&) const override {}

private:
    bool m_renders;
};

} // namespace

TEST(LinearBitmapQImage, RoundTripsKeepEveryPixelFormat) {
    struct Case {
        TPixelFormat format;
        QImage::Format qt;
    };
    for (const Case c : {Case{TPixelFormat::pf8bit, QImage::Format_Indexed8},
                         Case{TPixelFormat::pf24bit, QImage::Format_BGR888},
                         Case{TPixelFormat::pf32bit, QImage::Format_RGB32}}) {
        SCOPED_TRACE(int(c.format));
        const TLinearBitmap b = Sample(c.format);
        QImage image;
        b.AssignTo(image);
        ASSERT_EQ(image.format(), c.qt);
        EXPECT_EQ(image.size(), QSize(5, 3));
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) ASSERT_EQ(image.pixel(x, y), ColourAt(b, x, y)) << x << "," << y;
        TLinearBitmap back;
        back.Assign(image);
        EXPECT_EQ(back.PixelFormat(), c.format);
        EXPECT_EQ(Pixels(back), Pixels(b));
        if (c.format == TPixelFormat::pf8bit) {
            EXPECT_EQ(std::memcmp(back.Palette(), b.Palette(), 768), 0);
        }
    }
}

TEST(LinearBitmapQImage, SixteenBitGreyShowsItsHighBytes) {
    const TLinearBitmap b = Sample(TPixelFormat::pf16bit);
    QImage image;
    b.AssignTo(image);
    ASSERT_EQ(image.format(), QImage::Format_Indexed8);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(image.pixel(x, y), ColourAt(b, x, y));
    TLinearBitmap back;
    back.Assign(image);
    EXPECT_EQ(back.PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_TRUE(back.IsGrayScale());
    for (int i = 0; i < 15; ++i) EXPECT_EQ(back.Map()[i], b.Map()[2 * i + 1]);

    // A 16-bit grey QImage is read whole.
    QImage deep(2, 1, QImage::Format_Grayscale16);
    reinterpret_cast<quint16*>(deep.scanLine(0))[0] = 0x1234;
    reinterpret_cast<quint16*>(deep.scanLine(0))[1] = 0xFFFE;
    TLinearBitmap words;
    words.Assign(deep);
    EXPECT_EQ(words.PixelFormat(), TPixelFormat::pf16bit);
    EXPECT_EQ(Pixels(words), (std::vector<uint8_t>{0x34, 0x12, 0xFE, 0xFF}));
}

TEST(LinearBitmapQImage, OtherQImageFormatsMapToTheNearestOne) {
    struct Case {
        QImage::Format qt;
        TPixelFormat format;
    };
    const Case cases[] = {
        {QImage::Format_Mono, TPixelFormat::pf24bit},
        {QImage::Format_RGB888, TPixelFormat::pf24bit},
        {QImage::Format_RGB16, TPixelFormat::pf24bit},
        {QImage::Format_ARGB32, TPixelFormat::pf32bit},
        {QImage::Format_ARGB32_Premultiplied, TPixelFormat::pf32bit},
        {QImage::Format_Grayscale8, TPixelFormat::pf8bit},
    };
    const QRgb colours[] = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.qt));
        QImage image(3, 2, c.qt);
        if (c.qt == QImage::Format_Mono) image.setColorTable({colours[0], colours[1]});
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) image.setPixel(x, y, c.qt == QImage::Format_Mono ? (x + y) % 2 : colours[(x + y) % 2]);
        TLinearBitmap b;
        b.Assign(image);
        EXPECT_EQ(b.PixelFormat(), c.format);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) EXPECT_EQ(ColourAt(b, x, y), colours[(x + y) % 2]) << x << "," << y;
        if (c.format == TPixelFormat::pf32bit) {
            EXPECT_EQ(b.Map()[3], 0); // the X byte
        }
    }
    // A colour image keeps its channels apart.
    QImage rgb(1, 1, QImage::Format_RGB888);
    rgb.setPixel(0, 0, qRgb(10, 20, 30));
    TLinearBitmap b;
    b.Assign(rgb);
    EXPECT_EQ(Pixels(b), (std::vector<uint8_t>{30, 20, 10}));
}

TEST(LinearBitmapQImage, MovingOutGivesWhatACopyGivesAndLeavesTheBitmapEmpty) {
    for (TPixelFormat f : {TPixelFormat::pf8bit, TPixelFormat::pf16bit, TPixelFormat::pf24bit, TPixelFormat::pf32bit}) {
        SCOPED_TRACE(static_cast<int>(f));
        TLinearBitmap bitmap = Sample(f, 7, 5); // rows of no multiple of four bytes
        QImage copied, moved;
        bitmap.AssignTo(copied);
        const uint8_t* pixels = bitmap.Map();
        bitmap.MoveTo(moved);
        EXPECT_TRUE(!bitmap.Present() && bitmap.Map() == nullptr);
        EXPECT_EQ(moved.format(), copied.format());
        if (f != TPixelFormat::pf16bit) {
            EXPECT_EQ(moved.constBits(), pixels); // no copy made
        }
        bitmap.New(7, 5, TPixelFormat::pf24bit); // the moved picture is its own
        bitmap.FillBytes(0xFF);
        EXPECT_EQ(moved.convertToFormat(QImage::Format_ARGB32), copied.convertToFormat(QImage::Format_ARGB32));
    }
}

TEST(LinearBitmapQImage, EmptyOnEitherSide) {
    TLinearBitmap b = Sample(TPixelFormat::pf24bit);
    b.Assign(QImage());
    EXPECT_FALSE(b.Present());
    QImage kept(1, 1, QImage::Format_RGB32);
    kept.fill(qRgb(1, 2, 3));
    b.AssignTo(kept); // an empty bitmap leaves the target alone
    EXPECT_EQ(kept.pixel(0, 0), qRgb(1, 2, 3));
}

TEST(LinearBitmapQImage, PaintStretchesIntoTheRectangle) {
    for (TPixelFormat f : {TPixelFormat::pf8bit, TPixelFormat::pf16bit, TPixelFormat::pf24bit, TPixelFormat::pf32bit}) {
        SCOPED_TRACE(int(f));
        const TLinearBitmap b = Sample(f, 2, 2);
        QImage target(6, 6, QImage::Format_RGB32);
        target.fill(Qt::white);
        QPainter painter(&target);
        b.Paint(painter, QRect(1, 1, 4, 4), false);
        EXPECT_FALSE(painter.testRenderHint(QPainter::SmoothPixmapTransform));
        painter.end();
        EXPECT_EQ(target.pixel(0, 0), qRgb(255, 255, 255));
        EXPECT_EQ(target.pixel(1, 1), ColourAt(b, 0, 0));
        EXPECT_EQ(target.pixel(2, 2), ColourAt(b, 0, 0));
        EXPECT_EQ(target.pixel(4, 1), ColourAt(b, 1, 0));
        EXPECT_EQ(target.pixel(1, 4), ColourAt(b, 0, 1));
        EXPECT_EQ(target.pixel(4, 4), ColourAt(b, 1, 1));
        EXPECT_EQ(target.pixel(5, 5), qRgb(255, 255, 255));
    }
}

TEST(LinearBitmapQImage, AssignFromGraphics) {
    TLinearBitmap b;
    b.Assign(TFakeGraphic(true)); // renders itself into an image
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(b.Width(), 2);
    EXPECT_EQ(ColourAt(b, 1, 1), qRgb(4, 5, 6));

    b.Assign(TFakeGraphic(false)); // cannot: drawn onto a 24-bit image instead
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(b.Width(), 3);
    EXPECT_EQ(ColourAt(b, 2, 1), qRgb(9, 8, 7));

    TLinearGraphic g;
    g.Image() = Sample(TPixelFormat::pf16bit);
    b.Assign(g); // a linear graphic is copied exactly
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf16bit);
    EXPECT_EQ(Pixels(b), Pixels(g.Image()));
}

TEST(LinearGraphic, StreamsAreWindowsBitmaps) {
    for (TPixelFormat f : {TPixelFormat::pf8bit, TPixelFormat::pf24bit, TPixelFormat::pf32bit}) {
        SCOPED_TRACE(int(f));
        TLinearGraphic g;
        g.Image() = Sample(f);
        QBuffer buffer;
        buffer.open(QIODevice::ReadWrite);
        g.SaveToStream(buffer);
        EXPECT_TRUE(buffer.data().startsWith("BM"));
        buffer.seek(0);
        TLinearGraphic back;
        back.LoadFromStream(buffer);
        ASSERT_EQ(back.Width(), 5);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) EXPECT_EQ(ColourAt(back.Image(), x, y), ColourAt(g.Image(), x, y));
    }
    QByteArray junk("not a bitmap");
    QBuffer bad(&junk);
    bad.open(QIODevice::ReadOnly);
    TLinearGraphic g;
    EXPECT_THROW(g.LoadFromStream(bad), ELinearBitmap);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    g.SaveToStream(out); // an empty graphic writes nothing
    EXPECT_TRUE(out.data().isEmpty());
}

TEST(LinearGraphic, ClipboardRoundTripAndEquality) {
    TLinearGraphic g, pasted;
    g.Image() = Sample(TPixelFormat::pf8bit);
    g.SaveToClipboard(*QGuiApplication::clipboard());
    pasted.LoadFromClipboardFormat(nullptr);
    ASSERT_EQ(pasted.Width(), 5);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(ColourAt(pasted.Image(), x, y), ColourAt(g.Image(), x, y));
    // Equal: the same class showing the same picture.
    pasted.Image() = g.Image();
    EXPECT_TRUE(g.Equals(pasted));
    pasted.Image().ScanLine(1)[0] ^= 1;
    EXPECT_FALSE(g.Equals(pasted));

    // An empty graphic puts nothing there; data without an image is refused.
    QMimeData data;
    TLinearGraphic().SaveToClipboardFormat(data);
    EXPECT_FALSE(data.hasImage());
    EXPECT_THROW(g.LoadFromClipboardFormat(&data), platform::EConvertError);
}
