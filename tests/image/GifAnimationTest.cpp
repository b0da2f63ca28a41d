// Animations: frames composited as the screen shows them against
// ImageMagick's -coalesce, the same after our optimiser and a write and
// re-read, and the painter's frame order and delays on a fake clock.
#include "GifTestSupport.h"

#include "image/gif/TGIFAppExtNSLoop.h"
#include "image/gif/TGIFGraphicControlExtension.h"
#include "image/gif/TGIFImage.h"
#include "support/TempDir.h"

#include <QBuffer>
#include <QDir>
#include <QPointer>
#include <QPainter>
#include <gtest/gtest.h>
#include <map>

using namespace image;
using testsupport::TempDir;

namespace {

std::string Describe(QRgb c) { return QString::asprintf("#%08x", c).toStdString(); }

// Equal as shown: both fully transparent, or the same opaque colour.
bool SameAsShown(const QImage& ours, const QImage& theirs, std::string& where) {
    if (ours.size() != theirs.size()) {
        where = "size";
        return false;
    }
    for (int y = 0; y < ours.height(); ++y)
        for (int x = 0; x < ours.width(); ++x) {
            const QRgb a = ours.pixel(x, y), b = theirs.pixel(x, y);
            if (qAlpha(a) == 0 && qAlpha(b) == 0) continue;
            if (a != b) {
                where = std::to_string(x) + "," + std::to_string(y) + " ours " + Describe(a) + " theirs " + Describe(b);
                return false;
            }
        }
    return true;
}

// Every frame composited, and the total delay.
std::vector<QImage> Composites(TGIFImage& gif) {
    std::vector<QImage> frames;
    for (int i = 0; i < gif.Images().Count(); ++i) {
        const QImage frame = TGIFPainter::CompositeFrame(gif, i, true);
        if (!frame.isNull()) frames.push_back(frame.convertToFormat(QImage::Format_ARGB32));
    }
    return frames;
}

// What a viewer sees over time: frames that repeat the one before them
// merge, as the optimiser folds them away.
std::vector<QImage> Shown(const std::vector<QImage>& frames) {
    std::vector<QImage> shown;
    for (const QImage& frame : frames) {
        std::string unused;
        if (shown.empty() || !SameAsShown(frame, shown.back(), unused)) shown.push_back(frame);
    }
    return shown;
}

int TotalDelay(const TGIFImage& gif) {
    int total = 0;
    for (const auto& frame : gif.Images())
        if (frame->GraphicControlExtension()) total += frame->GraphicControlExtension()->Delay();
    return total;
}

class GifCoalesce : public ::testing::Test {
protected:
    void SetUp() override {
        if (!giftest::HaveTool("convert") || !giftest::HaveTool("gifsicle")) GTEST_SKIP() << "ImageMagick or gifsicle is missing";
    }
    QString Path(const QString& name) const { return QString::fromStdString((m_dir / name.toStdString()).string()); }
    QString Convert(const QString& name, const QStringList& args) {
        EXPECT_TRUE(giftest::Run("convert", QStringList(args) << Path(name))) << name.toStdString();
        return Path(name);
    }

    // Our composites against ImageMagick's, then the same animation after
    // every optimisation, a write and a read.
    void Check(const QString& gifPath) {
        SCOPED_TRACE(gifPath.toStdString());
        const QString stem = QFileInfo(gifPath).completeBaseName();
        ASSERT_TRUE(giftest::Run("convert", {gifPath, "-coalesce", Path(stem + "-%d.png")}));
        TGIFImage gif;
        gif.LoadFromFile(gifPath.toStdString());
        const std::vector<QImage> ours = Composites(gif);
        for (size_t i = 0;; ++i) {
            const QImage theirs(Path(stem + "-" + QString::number(i) + ".png"));
            if (theirs.isNull()) {
                EXPECT_EQ(i, ours.size());
                break;
            }
            ASSERT_LT(i, ours.size());
            std::string where;
            EXPECT_TRUE(SameAsShown(ours[i], theirs.convertToFormat(QImage::Format_ARGB32), where))
                << "frame " << i << " at " << where;
        }

        const int delay = TotalDelay(gif);
        gif.Optimize(ooCrop | ooMerge | ooCleanup | ooColorMap | ooReduceColors, TColorReduction::ReduceOctree,
                     TDitherMode::DitherNone, 8);
        QBuffer buffer;
        buffer.open(QIODevice::ReadWrite);
        gif.SaveToStream(buffer);
        buffer.seek(0);
        TGIFImage again;
        again.LoadFromStream(buffer);
        const std::vector<QImage> before = Shown(ours), after = Shown(Composites(again));
        ASSERT_EQ(before.size(), after.size());
        for (size_t i = 0; i < before.size(); ++i) {
            std::string where;
            EXPECT_TRUE(SameAsShown(after[i], before[i], where)) << "optimised frame " << i << " at " << where;
        }
        EXPECT_EQ(TotalDelay(again), delay);
    }

    TempDir m_dir;
};

} // namespace

TEST_F(GifCoalesce, EveryDisposalWithTransparencyOffsetsAndLoopsMatchesImageMagick) {
    const QString red = Convert("red.gif", {"-size", "40x30", "xc:red", "-fill", "blue", "-draw", "rectangle 5,5 20,20"});
    const QString ring = Convert("ring.gif", {"-size", "20x16", "xc:none", "-fill", "green", "-draw", "circle 10,8 10,2"});
    const QString dot = Convert("dot.gif", {"-size", "12x10", "xc:none", "-fill", "yellow", "-draw", "rectangle 2,2 8,7"});
    const QString plasma = Convert("plasma.gif", {"-seed", "3", "-size", "40x30", "plasma:", "-colors", "32"});

    // Every disposal method in turn, frames placed at offsets, transparent
    // holes showing what lies beneath.
    Check(Convert("disposals.gif",
                  {"-delay", "7", "-dispose", "none", red, "-dispose", "background", "-page", "+4+3", ring, "-dispose",
                   "previous", "-page", "+18+10", dot, "-dispose", "none", "-page", "+10+2", ring, "-dispose",
                   "background", "-page", "+0+0", dot, "-page", "+25+15", dot, "-loop", "3"}));
    // A transparent first frame, restored to transparency.
    Check(Convert("clear.gif", {"-delay", "5", "-dispose", "background", ring, "-page", "+6+4", dot, "-dispose",
                                "previous", "-page", "+0+0", ring, "-loop", "0"}));

    // gifsicle's optimiser leaves cropped, merged frames; ours runs over them.
    const QString shaded = Path("shaded.gif");
    ASSERT_TRUE(giftest::Run("gifsicle", {"-O3", "--loopcount=2", "--delay", "4", "--disposal", "background", plasma,
                                          "--disposal", "previous", red, "--disposal", "none", plasma, "-o", shaded}));
    Check(shaded);
    const QString moving = Path("moving.gif");
    ASSERT_TRUE(giftest::Run("gifsicle", {"-O2", "--delay", "3", red, plasma, red, plasma, "-o", moving}));
    Check(moving);
    // A frame reaching past the screen shows clipped, and the screen stays.
    Check(Convert("past.gif", {"-delay", "5", red, "(", "-size", "24x20", "xc:blue", "-repage", "40x30+30+20", ")"}));
}

TEST_F(GifCoalesce, TransparentIndexPastTheTableAndRestoreToPreviousSurviveTheOptimiser) {
    // Four colours fill gifsicle's table, so a frame whose changes show all
    // of them gets the transparent index 4, past the table.
    QStringList frames{"-delay", "5"};
    for (int i : {0, 3, 6, 9})
        frames << "(" << "-size" << "40x30" << "xc:white" << "-fill" << "red" << "-draw" << "rectangle 20,0 39,29"
               << "-fill" << "blue" << "-draw" << QString("rectangle %1,%1 %2,%3").arg(i).arg(i + 12).arg(i + 10)
               << "-fill" << "green" << "-draw" << QString("rectangle %1,5 %2,20").arg(i + 14).arg(i + 16) << ")";
    const QString opt = Path("opt.gif");
    ASSERT_TRUE(giftest::Run("gifsicle", {"-O2", Convert("four.gif", frames), "-o", opt}));
    TGIFImage gif;
    gif.LoadFromFile(opt.toStdString());
    ASSERT_EQ(gif.GlobalColorMap().Count(), 4);
    ASSERT_EQ(gif.Images()[3].GraphicControlExtension()->TransparentColorIndex(), 4);
    Check(opt);

    // A frame restored to background under an opaque frame that covers it
    // and is itself restored to the previous state: the frame after them
    // must see the background there.
    const QString cover = Convert("cover.gif", {"-size", "20x16", "xc:blue"});
    const QString dot = Convert("dot.gif", {"-size", "12x10", "xc:yellow"});
    Check(Convert("restore.gif", {"-delay", "6", Convert("red.gif", {"-size", "40x30", "xc:red"}), "-dispose",
                                  "background", "-page", "+5+5", dot, "-dispose", "previous", "-page", "+2+2", cover,
                                  "-dispose", "none", "-page", "+25+18", dot}));
}

namespace {

// Time stands still until the test moves it to the next timer.
class FakeClock : public TGIFPainterClock {
public:
    int64_t Now() override { return now; }
    void Sleep(int ms) override { now += ms; }
    void SingleShot(int ms, QObject* context, std::function<void()> tick, Qt::TimerType type) override {
        pending.insert({now + ms, {QPointer<QObject>(context), std::move(tick)}});
        timerType = type;
    }
    // Runs the next timer; false when none is left.
    bool Advance() {
        if (pending.empty()) return false;
        auto next = pending.extract(pending.begin());
        now = next.key();
        if (next.mapped().first) next.mapped().second();
        return true;
    }

    int64_t now = 0;
    Qt::TimerType timerType = Qt::VeryCoarseTimer;
    std::multimap<int64_t, std::pair<QPointer<QObject>, std::function<void()>>> pending;
};

const QRgb FrameColors[] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 0)};

// Full-screen frames of one colour each, with these delays (units); loops
// > 0 adds a looping extension to the first frame.
void MakeAnimation(TGIFImage& gif, const std::vector<int>& delays, int loops) {
    for (size_t i = 0; i < delays.size(); ++i) {
        QImage pixels(8, 6, QImage::Format_Indexed8);
        pixels.setColorTable({FrameColors[i % 4]});
        pixels.fill(0);
        auto frame = std::make_unique<TGIFSubImage>(&gif);
        frame->Assign(pixels);
        auto gce = std::make_unique<TGIFGraphicControlExtension>(frame.get());
        gce->SetDelay(uint16_t(delays[i]));
        frame->Extensions().Add(std::move(gce));
        if (i == 0 && loops >= 0) {
            auto loop = std::make_unique<TGIFAppExtNSLoop>(frame.get());
            loop->SetLoops(uint16_t(loops));
            frame->Extensions().Add(std::move(loop));
        }
        gif.Add(std::move(frame));
    }
}

struct Painted {
    int64_t time;
    int frame;
    QRgb shown;
    bool operator==(const Painted&) const = default;
};

} // namespace

TEST(GifPainter, FramesFollowTheirDelaysAndLoopsOnAFakeClock) {
    TGIFImage gif;
    // 1 unit waits 3 units, 0 waits 10, and a synchronous painter caps the
    // long one at 1000 units.
    MakeAnimation(gif, {1, 0, 5000}, 2);
    QImage canvas(8, 6, QImage::Format_ARGB32);
    canvas.fill(Qt::white);
    FakeClock clock;
    gif.SetPainterClock(&clock);
    std::vector<Painted> painted;
    int restarts = 0, ends = 0;
    gif.OnAfterPaint = [&](TGIFPainter& p) {
        painted.push_back({clock.now, p.ActiveFrame(), canvas.pixel(4, 3)});
        if (painted.size() == 50) p.Stop();  // a painter that would not end
    };
    gif.OnLoop = [&](TGIFPainter&) { ++restarts; };
    gif.OnEndPaint = [&](TGIFPainter&) { ++ends; };

    const uint16_t animate = DrawAnimate | DrawLoop;
    // Asynchronous: the first frame at once, the rest from timer ticks; two
    // passes for a loop count of 2.
    TGIFPainter* ref = nullptr;
    TGIFPainter* painter = gif.StartPainter(&ref, &canvas, animate | DrawAsync, canvas.rect());
    ASSERT_TRUE(painter);
    EXPECT_EQ(ref, painter);
    painter->Start();
    while (clock.Advance()) {
    }
    const QRgb r = FrameColors[0], g = FrameColors[1], b = FrameColors[2];
    EXPECT_EQ(painted, (std::vector<Painted>{{0, 0, r}, {36, 1, g}, {156, 2, b}, {60156, 0, r}, {60192, 1, g}, {60312, 2, b}}));
    EXPECT_EQ(clock.timerType, Qt::CoarseTimer);
    EXPECT_EQ(restarts, 1);
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(ref, nullptr);
    EXPECT_TRUE(gif.Painters().empty());

    // Synchronous: the same order within one call, waits capped at 12 s,
    // and one pass only: it holds its caller no longer than that.
    painted.clear();
    clock.now = 0;
    EXPECT_EQ(gif.StartPainter(nullptr, &canvas, animate, canvas.rect()), nullptr);
    EXPECT_EQ(painted, (std::vector<Painted>{{12, 0, r}, {48, 1, g}, {168, 2, b}}));
    // Asked to loop for ever, it still returns after one pass.
    painted.clear();
    gif.StartPainter(nullptr, &canvas, animate | DrawLoopForever, canvas.rect());
    EXPECT_EQ(painted.size(), 3u);
    TGIFImage endless;
    MakeAnimation(endless, {1, 1}, 0);
    endless.SetPainterClock(&clock);
    int shown = 0;
    endless.OnAfterPaint = [&](TGIFPainter& p) {
        if (++shown == 50) p.Stop();  // ends the test, should the painter not
    };
    endless.StartPainter(nullptr, &canvas, animate | DrawLoopForever, canvas.rect());
    EXPECT_EQ(shown, 2);

    // Twice the speed halves the waits; speed 0 waits until stopped. A
    // painter of a priority above normal (which copies keep) runs on
    // precise timers.
    painted.clear();
    clock.now = 0;
    gif.SetAnimationSpeed(200);
    TGIFImage copy;
    copy.SetPainterPriority(TThreadPriority::tpLowest);
    EXPECT_EQ(TGIFImage().PainterPriority(), TThreadPriority::tpNormal);
    gif.SetPainterPriority(TThreadPriority::tpHigher);
    copy.Assign(gif);
    EXPECT_EQ(copy.PainterPriority(), TThreadPriority::tpHigher);
    gif.StartPainter(nullptr, &canvas, DrawAnimate | DrawAsync, canvas.rect())->Start();
    while (clock.Advance()) {
    }
    EXPECT_EQ(painted, (std::vector<Painted>{{0, 0, r}, {18, 1, g}, {78, 2, b}}));
    EXPECT_EQ(clock.timerType, Qt::PreciseTimer);
    gif.SetAnimationSpeed(0);
    ends = 0;
    gif.StartPainter(nullptr, &canvas, animate | DrawAsync, canvas.rect())->Start();
    EXPECT_FALSE(clock.Advance());
    ASSERT_EQ(gif.Painters().size(), 1u);
    gif.StopPainters();
    EXPECT_EQ(ends, 1);
    EXPECT_TRUE(gif.Painters().empty());
}

TEST(GifPainter, TiledAnimationRestoresOnlyTheTilesItShows) {
    // The first frame, 1 x 1 in the far corner of a 65535 x 65535 screen,
    // tiles every pixel of the canvas and is restored to the background; the
    // second lies off the picture.
    using namespace giftest;
    const std::string pixel = '\x02' + SubBlocks(PackCodes(2, {4, 1, 5}));
    TGIFImage gif;
    ASSERT_TRUE(Load(Header(65535, 65535, 2) + Gce(false, 0, 1, 2) + Descriptor(65534, 65534, 1, 1) + pixel +
                         Gce(false, 0, 1, 0) + Descriptor(0, 0, 1, 1) + pixel + ";", gif).Ok());
    FakeClock clock;
    gif.SetPainterClock(&clock);
    int shown = 0;
    gif.OnAfterPaint = [&](TGIFPainter&) { ++shown; };
    QImage canvas(37, 23, QImage::Format_ARGB32);
    canvas.fill(Qt::white);
    gif.StartPainter(nullptr, &canvas, DrawAnimate | DrawTile, canvas.rect());
    EXPECT_EQ(shown, 2);
    QImage background(37, 23, QImage::Format_ARGB32);
    background.fill(TGIFPainter::BackgroundColorOf(gif));
    EXPECT_EQ(canvas, background);
}

TEST(GifPainter, DrawAnimatesIntoTheCompositeOnceAndStillImagesDrawWithoutPainter) {
    FakeClock clock;
    TGIFImage gif;
    MakeAnimation(gif, {10, 10}, 0);
    gif.SetPainterClock(&clock);
    gif.SetDrawOptions(DrawAsync | DrawAnimate | DrawLoop);
    int changes = 0;
    gif.SetOnChange([&] { ++changes; });
    QImage canvas(16, 12, QImage::Format_ARGB32);
    canvas.fill(Qt::white);
    {
        QPainter p(&canvas);
        gif.Draw(p, canvas.rect());
        gif.Draw(p, canvas.rect());
    }
    EXPECT_EQ(gif.Painters().size(), 1u);
    EXPECT_EQ(canvas.pixel(15, 11), FrameColors[0]);
    ASSERT_TRUE(clock.Advance());
    EXPECT_EQ(gif.Bitmap().pixel(0, 0), FrameColors[1]);
    EXPECT_EQ(changes, 2);
    // A loop count of 0 loops for ever until the image goes.
    EXPECT_TRUE(clock.Advance());
    gif.Clear();
    EXPECT_TRUE(gif.Painters().empty());

    TGIFImage still;
    MakeAnimation(still, {10}, -1);
    still.SetDrawOptions(DrawAsync | DrawAnimate);
    QPainter p(&canvas);
    still.Draw(p, QRect(0, 0, 8, 6));
    EXPECT_TRUE(still.Painters().empty());
    EXPECT_EQ(canvas.pixel(7, 5), FrameColors[0]);
}
