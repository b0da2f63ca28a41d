// The painter's loop (start, passes, frames with their waits, end) is kept
// as an explicit state so that an asynchronous painter can leave it at a wait
// and come back on a timer tick; a synchronous painter runs the same steps
// back to back and waits in place.
//
// Buffered drawing keeps the canvas area as it stands after the previous
// frame's disposal in a back buffer; a frame that is restored to the previous
// state afterwards is drawn outside that buffer, so the buffer still holds the
// state to go back to.

#include "image/gif/TGIFPainter.h"

#include "image/gif/GIFException.h"
#include "image/gif/TGIFAppExtNSLoop.h"
#include "image/gif/TGIFGraphicControlExtension.h"
#include "image/gif/TGIFImage.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <set>

namespace image {

namespace {

class TSystemClock final : public TGIFPainterClock {
public:
    TSystemClock() { m_timer.start(); }
    int64_t Now() override { return m_timer.elapsed(); }
    void Sleep(int ms) override { QThread::msleep(static_cast<unsigned long>(std::max(ms, 0))); }
    void SingleShot(int ms, QObject* context, std::function<void()> tick, Qt::TimerType type) override {
        QTimer::singleShot(std::max(ms, 0), type, context, std::move(tick));
    }

private:
    QElapsedTimer m_timer;
};

// No time passes: frames follow each other at once.
class TNoWaitClock final : public TGIFPainterClock {
public:
    int64_t Now() override { return 0; }
    void Sleep(int) override {}
    void SingleShot(int, QObject*, std::function<void()> tick, Qt::TimerType) override { tick(); }
};

int MulDiv(int64_t a, int64_t b, int64_t c) {
    if (c == 0) return -1;
    const int64_t p = a * b;
    const int64_t q = (std::abs(p) + std::abs(c) / 2) / std::abs(c);
    return static_cast<int>((p < 0) != (c < 0) ? -q : q);
}

QColor FromTColor(TColor c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

// The colour a disposal to background shows: the image's own when set, the
// window colour when the image has no global table, else the global table's
// background entry.
} // namespace

QColor TGIFPainter::BackgroundColorOf(TGIFImage& image) {
    if (image.BackgroundColor() != clNone) return FromTColor(image.BackgroundColor());
    if (image.GlobalColorMap().Count() == 0)
        return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::palette().color(QPalette::Base)
                                                                            : QColor(Qt::white);
    return FromTColor(image.Header().BackgroundColor());
}

namespace {

// A frame's delay in painter units: none counts 10, at least 3, and (for a
// synchronous painter) at most 1000.
int FrameDelay(const TGIFSubImage& frame, bool async) {
    const TGIFGraphicControlExtension* gce = frame.GraphicControlExtension();
    int delay = gce && gce->Delay() > 0 ? gce->Delay() : 10;
    delay = std::max(delay, 3);
    if (!async) delay = std::min(delay, 1000);
    return delay;
}

} // namespace

TGIFPainterClock& SystemPainterClock() {
    static TSystemClock clock;
    return clock;
}

TGIFPainter::TGIFPainter(TGIFImage& image, QPaintDevice* device, const QRect& rect, uint16_t options,
                         TGIFPainter** painterRef, QPainter* external)
    : m_image(&image), m_device(device), m_external(external), m_rect(rect), m_options(options),
      m_animationSpeed(image.AnimationSpeed()), m_painterRef(painterRef), m_picture(image.PictureRect()) {
    if (m_painterRef) *m_painterRef = this;
    // A synchronous painter holds its caller until the animation ends, so it
    // plays one pass, whatever loop count the file asks for (65535 passes
    // would hold it for hours).
    if (!IsAsync()) m_options &= uint16_t(~(DrawLoop | DrawLoopForever));
    m_backgroundColor = BackgroundColorOf(image);

    std::set<int> disposals;
    for (const auto& frame : image.Images())
        if (const TGIFGraphicControlExtension* gce = frame->GraphicControlExtension()) disposals.insert(gce->Disposal());
    if (m_options & DrawClearOnLoop) disposals.insert(2);
    // Past the bitmap limit the frames are drawn straight onto the canvas,
    // without the buffers that restore what lay beneath.
    const bool buffered = TGIFImage::FitsBitmapLimit(m_rect.width(), m_rect.height(), 4);
    if (buffered && disposals.count(2) && (m_options & DrawTransparent)) m_background = GrabArea();
    if (buffered && (disposals.count(2) || disposals.count(3))) {
        m_backBuffer = GrabArea();
        m_previousBuffer = QImage(m_rect.size(), QImage::Format_ARGB32_Premultiplied);
        if (!m_previousBuffer.isNull()) m_previousBuffer.fill(m_backgroundColor);
    }
}

TGIFPainter::~TGIFPainter() {
    if (!m_finished) {
        m_terminated = true;
        Finish();
    }
}

bool TGIFPainter::IsAsync() const { return (m_options & DrawAsync) != 0; }

QImage TGIFPainter::GrabArea() const {
    QImage area;
    if (auto* img = dynamic_cast<QImage*>(m_device); img && !img->isNull())
        area = img->copy(m_rect).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    else if (auto* pixmap = dynamic_cast<QPixmap*>(m_device); pixmap && !pixmap->isNull())
        area = pixmap->toImage().copy(m_rect).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (area.size() == m_rect.size() && !area.isNull()) return area;
    // A widget cannot be read back: its area counts as the background colour.
    area = QImage(m_rect.size(), QImage::Format_ARGB32_Premultiplied);
    if (!area.isNull()) area.fill(m_backgroundColor);
    return area;
}

bool TGIFPainter::CanvasValid() const {
    if (m_external) return m_external->isActive();
    if (!m_device) return false;
    if (auto* img = dynamic_cast<QImage*>(m_device)) return !img->isNull();
    return m_device->paintingActive() || m_device->width() > 0;
}

template <class F>
void TGIFPainter::WithCanvas(F&& paint) {
    if (m_external) {
        paint(*m_external);
        return;
    }
    QPainter canvas;
    if (!m_device || !canvas.begin(m_device)) {
        // The canvas is gone (a freed composite bitmap): nothing to paint on.
        m_terminated = true;
        return;
    }
    paint(canvas);
}

void TGIFPainter::Fire(const TGIFPainterEvent& event) {
    if (event) event(*this);
}

void TGIFPainter::Start() {
    m_clock = m_clock ? m_clock : &SystemPainterClock();
    Run();
}

void TGIFPainter::Stop() {
    m_terminated = true;
    if (IsAsync() && !m_running && !m_finished) Run();
}

void TGIFPainter::Run() {
    if (m_running || m_finished) return;
    if (!m_clock) m_clock = &SystemPainterClock();
    m_running = true;
    m_waiting = false;
    try {
        while (Step()) {
        }
    } catch (...) {
        // A failed drawing or handler ends the painter; its end event still
        // fires, unless that fails too.
        m_terminated = true;
        try {
            m_state = TState::End;
            while (Step()) {
            }
        } catch (...) {
            Finish();
        }
    }
    m_running = false;
}

int TGIFPainter::WaitTime() {
    const int64_t now = m_clock->Now();
    int wait;
    if (m_animationSpeed < 1) {
        wait = IsAsync() ? -1 : 1000 * FrameDelayUnitMs;
    } else {
        // Half of the time the last wait overran is taken off this one.
        const int64_t overrun = (now - m_reference - m_previousDelay) / 2;
        wait = MulDiv(int64_t(m_delay) * FrameDelayUnitMs - overrun, 100, m_animationSpeed);
        m_previousDelay = wait;
    }
    m_reference = now;
    return wait;
}

bool TGIFPainter::Step() {
    if (!m_image) m_terminated = true;
    if (m_terminated && m_state != TState::End) m_state = TState::End;
    if (m_state == TState::End) {
        m_activeFrame = -1;
        if (!m_finished) {
            // Finish first, so a handler that frees the image finds no
            // painter of it left.
            TGIFPainterEvent onEnd = OnPaintEnd;
            Finish();
            if (onEnd) onEnd(*this);
        }
        return false;
    }
    TGIFImageList& frames = m_image->Images();
    switch (m_state) {
    case TState::Begin:
        m_activeFrame = 0;
        Fire(OnPaintStart);
        m_started = false;
        m_loopCount = 1;
        m_loopPoint = 0;
        m_loopSeen = false;
        m_delay = IsAsync() ? 0 : 1;
        m_previousDisposal = 1;
        m_reference = m_clock->Now();
        m_previousDelay = 0;
        m_state = TState::Pass;
        return true;

    case TState::Pass:
        if (m_loopCount == 0 && !(m_options & DrawLoopForever)) {
            m_state = TState::End;
            return true;
        }
        m_activeFrame = m_loopPoint;
        if (m_started) Fire(OnLoopRestart);
        m_state = TState::Frame;
        return true;

    case TState::Frame: {
        if (m_activeFrame < 0 || m_activeFrame >= frames.Count() || frames[m_activeFrame].Empty()) {
            m_state = TState::PassEnd;
            return true;
        }
        m_state = TState::Paint;
        if (m_delay <= 0) return true;
        frames[m_activeFrame].Bitmap();
        int wait = WaitTime();
        if (IsAsync()) {
            // Speed 0 waits until Stop; otherwise the next frame comes from
            // a timer tick, so the event loop runs between frames.
            m_waiting = true;
            if (wait == -1 && m_animationSpeed == 0) return false;
            const Qt::TimerType type = m_priority > TThreadPriority::tpNormal ? Qt::PreciseTimer : Qt::CoarseTimer;
            m_clock->SingleShot(
                std::max(wait, 0), this,
                [this] {
                    if (m_finished) return;
                    if (m_waiting) Run();
                },
                type);
            return false;
        }
        for (wait = std::max(wait, 1); wait > 0 && !m_terminated;) {
            const int piece = std::min(wait, 100);
            const int64_t before = m_clock->Now();
            m_clock->Sleep(piece);
            wait -= static_cast<int>(std::max<int64_t>(m_clock->Now() - before, piece));
        }
        return true;
    }

    case TState::Paint: {
        Fire(OnFramePaint);
        if (m_terminated) return true;
        ScanExtensions();
        m_delay = FrameDelay(frames[m_activeFrame], IsAsync());
        PaintFrame();
        if (!m_image) return true;
        m_started = true;
        m_previousDisposal = m_disposal;
        const int painted = m_activeFrame;
        Fire(OnFramePainted);
        if (m_activeFrame == painted) ++m_activeFrame;
        m_state = (m_options & DrawAnimate) ? TState::Frame : TState::PassEnd;
        return true;
    }

    case TState::PassEnd:
        if (m_loopCount > 0) --m_loopCount;
        m_state = (m_options & DrawAnimate) && (m_options & DrawLoop) ? TState::Pass : TState::End;
        return true;

    case TState::End:
        break;
    }
    return false;
}

void TGIFPainter::ScanExtensions() {
    m_disposal = 1;
    for (const auto& extension : m_image->Images()[m_activeFrame].Extensions()) {
        if (auto* gce = dynamic_cast<const TGIFGraphicControlExtension*>(extension.get())) {
            m_disposal = gce->Disposal();
        } else if (auto* loop = dynamic_cast<const TGIFAppExtNSLoop*>(extension.get()); loop && !m_loopSeen) {
            m_loopSeen = true;
            m_loopCount = loop->Loops();
            m_loopPoint = m_activeFrame;
            if (IsAsync() && (loop->Loops() == 0 || (m_options & DrawLoopForever))) m_loopCount = -1;
        }
    }
}

void TGIFPainter::DrawInto(QPainter& canvas, const QRect& rect) {
    m_image->Images()[m_activeFrame].Draw(canvas, rect, (m_options & DrawTransparent) != 0, (m_options & DrawTile) != 0,
                                          m_picture);
}

void TGIFPainter::RestoreToBackground(QImage& buffer) {
    TGIFSubImage& frame = m_image->Images()[m_activeFrame];
    const QRect whole(QPoint(0, 0), m_rect.size());
    const bool saved = (m_options & DrawTransparent) != 0;
    QPainter p(&buffer);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    const auto restore = [&](const QRect& area) {
        if (saved)
            p.drawImage(area.topLeft(), m_background, area);
        else
            p.fillRect(area, m_backgroundColor);
    };
    if (!(m_options & DrawTile)) {
        restore(frame.ScaleRect(whole, m_picture));
        return;
    }
    // The tiles the drawing laid, within the buffer.
    const QRect tile = m_picture.isEmpty() ? frame.Picture() : m_picture;
    const QRect shown = frame.ShownArea(tile);
    const TTileGrid tiles = TilesMeeting(shown.topLeft() - tile.topLeft(), tile.size(), shown.size(),
                                         QPoint(whole.width(), whole.height()), whole);
    if (tiles.Size == tiles.Step) {
        restore(tiles.Extent());
        return;
    }
    if (saved && m_background.isNull()) return;  // none could be saved
    // Apart, the tiles are restored pixel row by pixel row (both buffers are
    // premultiplied ARGB of the rectangle's size, as GrabArea makes them),
    // many tiles costing no more than their pixels. The colour is made as
    // the painter makes it.
    QImage colour(1, 1, QImage::Format_ARGB32_Premultiplied);
    {
        QPainter c(&colour);
        c.setCompositionMode(QPainter::CompositionMode_Source);
        c.fillRect(colour.rect(), m_backgroundColor);
    }
    p.end();
    const QRgb fill = *reinterpret_cast<const QRgb*>(colour.constBits());
    for (int64_t row = tiles.FirstRow; row < tiles.EndRow; ++row) {
        const QRect band = tiles.Tile(tiles.FirstColumn, row) & whole;
        for (int y = band.top(); y <= band.bottom(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(buffer.scanLine(y));
            const auto* from = saved ? reinterpret_cast<const QRgb*>(m_background.constScanLine(y)) : nullptr;
            for (int64_t column = tiles.FirstColumn; column < tiles.EndColumn; ++column) {
                const QRect area = tiles.Tile(column, row) & whole;
                if (from)
                    std::copy(from + area.left(), from + area.left() + area.width(), line + area.left());
                else
                    std::fill(line + area.left(), line + area.left() + area.width(), fill);
            }
        }
    }
}

void TGIFPainter::PaintFrame() {
    if ((m_options & DrawValidateCanvas) && !CanvasValid()) {
        m_terminated = true;
        return;
    }
    const auto copyToCanvas = [this](const QImage& buffer) {
        WithCanvas([&](QPainter& canvas) {
            const QPainter::CompositionMode mode = canvas.compositionMode();
            canvas.setCompositionMode(QPainter::CompositionMode_Source);
            canvas.drawImage(m_rect.topLeft(), buffer);
            canvas.setCompositionMode(mode);
        });
    };
    const auto drawOnCanvas = [this] { WithCanvas([&](QPainter& canvas) { DrawInto(canvas, m_rect); }); };

    if (m_backBuffer.isNull()) {
        drawOnCanvas();
    } else {
        const QRect whole(QPoint(0, 0), m_rect.size());
        if (m_activeFrame == m_loopPoint && (m_options & DrawClearOnLoop)) {
            QPainter p(&m_backBuffer);
            p.setCompositionMode(QPainter::CompositionMode_Source);
            if (m_options & DrawTransparent)
                p.drawImage(0, 0, m_background);
            else
                p.fillRect(whole, m_backgroundColor);
        }
        if (m_disposal == 3) {
            if (m_previousDisposal == 2 || m_previousDisposal == 3) {
                m_previousBuffer = m_backBuffer.copy();
                {
                    QPainter p(&m_previousBuffer);
                    DrawInto(p, whole);
                }
                copyToCanvas(m_previousBuffer);
            } else {
                drawOnCanvas();
            }
        } else {
            {
                QPainter p(&m_backBuffer);
                DrawInto(p, whole);
            }
            copyToCanvas(m_backBuffer);
            if (m_disposal == 2) RestoreToBackground(m_backBuffer);
        }
    }
    if (!m_external && m_image) m_image->PainterPainted(*this);
}

void TGIFPainter::DetachImage() {
    m_image = nullptr;
    m_terminated = true;
}

void TGIFPainter::DetachExternal() { m_external = nullptr; }

void TGIFPainter::Finish() {
    if (m_finished) return;
    m_finished = true;
    m_waiting = false;
    if (m_painterRef && *m_painterRef == this) *m_painterRef = nullptr;
    if (m_image) m_image->RemovePainter(this);
    m_backBuffer = m_previousBuffer = m_background = QImage();
    // An asynchronous painter belongs to no one once it ends.
    if (IsAsync()) deleteLater();
}

QImage TGIFPainter::CompositeFrame(TGIFImage& image, int index, bool transparent) {
    const QRect picture = image.PictureRect();
    if (index < 0 || index >= image.Images().Count() || image.Images()[index].Empty() || picture.isEmpty()) return {};
    if (!TGIFImage::FitsBitmapLimit(picture.width(), picture.height(), 4)) RaiseGIFError(SFrameTooLarge);
    QImage canvas(picture.size(), QImage::Format_ARGB32_Premultiplied);
    if (canvas.isNull()) return {};
    canvas.fill(transparent ? QColor(Qt::transparent) : BackgroundColorOf(image));
    bool shown = false;
    {
        TNoWaitClock clock;
        TGIFPainter painter(image, &canvas, canvas.rect(), DrawAnimate | DrawTransparent);
        painter.SetClock(&clock);
        painter.OnFramePainted = [&](TGIFPainter& p) {
            if (p.ActiveFrame() != index) return;
            shown = true;
            p.Stop();
        };
        painter.Start();
    }
    return shown ? canvas : QImage();
}

} // namespace image
