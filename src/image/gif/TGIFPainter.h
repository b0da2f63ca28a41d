#pragma once
// Shows a GIF image on a canvas rectangle: the frames one after another with
// their delays, each frame's disposal method, and the looping extension.
//
// Both modes run on the GUI thread. An asynchronous painter (DrawAsync) is a
// state machine driven by single-shot timers: Start paints the first frame at
// once and each timer tick paints the next one, so the event loop keeps
// running between frames and only the GUI thread ever paints. A synchronous
// painter runs the whole animation inside Run, waiting with the clock's Sleep
// between frames; it never spins a nested event loop (which a paint event must
// not do), so it blocks its caller for the length of the animation. That
// length is bounded: a synchronous painter plays one pass, whatever loop
// count the file asks for, and each frame's delay is capped at 12 s.
//
// The canvas is a paint device (an image, a pixmap) that the painter opens
// for each step, or, for a synchronous run, the caller's active QPainter.

#include <QColor>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <cstdint>
#include <functional>

class QPaintDevice;
class QPainter;

namespace image {

class TGIFImage;
class TGIFPainter;

// How urgently a painter runs, with the ordinals of a thread priority.
// Painters here are timers on the GUI thread: above normal their frames
// come from precise timers, otherwise from coarse ones, which let the
// system bundle wake-ups.
enum class TThreadPriority : uint8_t { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// Time as the painter sees it; tests give it a fake one.
class TGIFPainterClock {
public:
    virtual ~TGIFPainterClock() = default;
    // Milliseconds on a monotonic clock.
    virtual int64_t Now() = 0;
    // Blocks for `ms` milliseconds (synchronous painters).
    virtual void Sleep(int ms) = 0;
    // Calls `tick` once after `ms` milliseconds from the event loop, unless
    // `context` is gone by then (asynchronous painters), timed as `type`.
    virtual void SingleShot(int ms, QObject* context, std::function<void()> tick, Qt::TimerType type) = 0;
};

// The real clock: QElapsedTimer, QThread::msleep and QTimer.
TGIFPainterClock& SystemPainterClock();

// A painter's event: the painter is the sender.
using TGIFPainterEvent = std::function<void(TGIFPainter& sender)>;

class TGIFPainter : public QObject {
    Q_OBJECT

public:
    // One GIF delay unit.
    static constexpr int FrameDelayUnitMs = 12;

    // Paints `image` on `device` in `rect` with the draw options. `external`,
    // when given, is an active painter on the device, used instead of opening
    // one (synchronous runs only: it must outlive Run). `painterRef`, when
    // given, receives this painter and is cleared when the painter ends.
    TGIFPainter(TGIFImage& image, QPaintDevice* device, const QRect& rect, uint16_t options,
                TGIFPainter** painterRef = nullptr, QPainter* external = nullptr);
    ~TGIFPainter() override;

    TGIFImage* Image() const { return m_image; }
    QPaintDevice* Device() const { return m_device; }
    QRect Rect() const { return m_rect; }
    uint16_t DrawOptions() const { return m_options; }
    bool IsAsync() const;
    // The frame being shown; -1 when not painting. A handler of
    // OnFramePainted may set it to jump to another frame next.
    int ActiveFrame() const { return m_activeFrame; }
    void SetActiveFrame(int value) { m_activeFrame = value; }
    int AnimationSpeed() const { return m_animationSpeed; }
    // The colour restoring to background fills with.
    QColor BackgroundColor() const { return m_backgroundColor; }
    bool Terminated() const { return m_terminated; }
    bool Finished() const { return m_finished; }

    // The clock for waits and timers; the system clock unless set before Start.
    void SetClock(TGIFPainterClock* clock) { m_clock = clock; }
    // tpNormal unless set; see TThreadPriority.
    TThreadPriority Priority() const { return m_priority; }
    void SetPriority(TThreadPriority value) { m_priority = value; }

    TGIFPainterEvent OnPaintStart, OnFramePaint, OnFramePainted, OnLoopRestart, OnPaintEnd;

    // An asynchronous painter paints its first frame now and the rest from
    // timer ticks. A synchronous one runs the whole animation now. Exceptions
    // of drawing and of handlers end the painter; they never leave a tick.
    void Start();
    // Ends the painter: an asynchronous one at once (OnPaintEnd fires now,
    // or after the handler that asked, when called from one), a synchronous
    // one before its next frame.
    void Stop();

    // Frame `index` as the screen shows it after the frames before it: a
    // synchronous, transparent run without waits on a canvas of the image's
    // PictureRect that starts transparent with `transparent` (restoring to
    // background then makes pixels transparent again), else filled with the
    // background colour. A null image when the image is empty or has no such
    // frame (or it holds no pixels). A picture beyond the bitmap limit
    // raises GIFException "Invalid bitmap size".
    static QImage CompositeFrame(TGIFImage& image, int index, bool transparent);
    // The colour restoring to background shows for `image`: its own
    // BackgroundColor when set, the window colour when it has no global
    // table, else the global table's background entry.
    static QColor BackgroundColorOf(TGIFImage& image);

    // The image is going away: the painter ends without touching it again.
    void DetachImage();
    // The caller's painter is no longer active; later steps open their own.
    void DetachExternal();

private:
    enum class TState { Begin, Pass, Frame, Paint, PassEnd, End };

    void Run();
    bool Step();
    int WaitTime();
    void ScanExtensions();
    void PaintFrame();
    void DrawInto(QPainter& canvas, const QRect& rect);
    void RestoreToBackground(QImage& buffer);
    QImage GrabArea() const;
    bool CanvasValid() const;
    void Fire(const TGIFPainterEvent& event);
    void Finish();
    template <class F>
    void WithCanvas(F&& paint);

    TGIFImage* m_image;
    QPaintDevice* m_device;
    QPainter* m_external;
    QRect m_rect;
    uint16_t m_options;
    int m_animationSpeed;
    int m_activeFrame = -1;
    int m_disposal = 1;
    int m_previousDisposal = 1;
    QImage m_backBuffer, m_previousBuffer, m_background;
    QColor m_backgroundColor;
    TGIFPainter** m_painterRef;
    // The image's PictureRect, which the rectangle shows.
    QRect m_picture;
    TGIFPainterClock* m_clock = nullptr;
    TThreadPriority m_priority = TThreadPriority::tpNormal;

    TState m_state = TState::Begin;
    bool m_started = false;
    bool m_terminated = false;
    bool m_finished = false;
    bool m_running = false;
    bool m_waiting = false;
    int m_loopCount = 1;
    int m_loopPoint = 0;
    bool m_loopSeen = false;
    int m_delay = 0;
    int64_t m_reference = 0;
    int m_previousDelay = 0;
};

} // namespace image
