// TGIFImage as a graphic: the composite bitmap, drawing (still frames and
// animations), copies to and from other graphics, the optimiser and the
// clipboard.

#include "image/gif/TGIFImage.h"

#include "image/gif/GIFException.h"
#include "image/gif/TGIFAppExtNSLoop.h"
#include "image/gif/TGIFCommentExtension.h"
#include "image/gif/TGIFGraphicControlExtension.h"
#include "image/gif/TGIFTextExtension.h"
#include "image/gif/TGIFUnknownAppExtension.h"

#include <QBuffer>
#include <QMimeData>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <functional>
#include <vector>

namespace image {

namespace {

int Disposal(const TGIFSubImage& frame) {
    const TGIFGraphicControlExtension* gce = frame.GraphicControlExtension();
    return gce ? gce->Disposal() : 0;
}

// True when some pixel of a transparent frame is not its transparent index.
bool HasOpaquePixel(const TGIFSubImage& frame) {
    const uint8_t t = frame.GraphicControlExtension()->TransparentColorIndex();
    const uint8_t* data = frame.Data();
    return std::any_of(data, data + frame.DataSize(), [t](uint8_t p) { return p != t; });
}

// The bytes the frame takes in a file: its extensions, descriptor, local
// table and compressed pixels.
int64_t EncodedSize(const TGIFSubImage& frame) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    frame.SaveToStream(buffer);
    return buffer.size();
}

// The bytes the global table takes in a file.
int64_t GlobalTableSize(const TGIFImage& image) {
    return image.GlobalColorMap().Count() > 0 ? int64_t(3) << image.GlobalWriteBitsPerPixel() : 0;
}

// Runs `change` on the frame and keeps what it did only when the frame (with
// the global table, which the change may have grown) then encodes no larger:
// equal pixels made transparent can break the runs the compressor would have
// found.
template <class Change>
void KeepIfNoLarger(TGIFImage& image, TGIFSubImage& frame, Change change) {
    const int64_t before = EncodedSize(frame) + GlobalTableSize(image);
    TGIFSubImage backup(&image);
    backup.Assign(frame);
    TGIFColorMap& global = image.GlobalColorMap();
    const int globalCount = global.Count();
    change();
    if (EncodedSize(frame) + GlobalTableSize(image) <= before) return;
    frame.Assign(backup);
    // An entry the change added to the shared table is used by no one now.
    while (global.Count() > globalCount) global.Delete(global.Count() - 1);
}

// Sorts `table` by use (TGIFColorMap::Optimize), then runs `then`, and
// keeps what they did only when `users`, the frames drawing on the table,
// encode no larger (a global table counted in): the old indices may have
// made longer strings.
void SortIfNoLarger(TGIFImage& image, TGIFColorMap& table, const std::vector<TGIFSubImage*>& users, bool global,
                    const std::function<void()>& then = {}) {
    const auto size = [&] {
        int64_t bytes = global ? GlobalTableSize(image) : 0;
        for (const TGIFSubImage* frame : users) bytes += EncodedSize(*frame);
        return bytes;
    };
    const int64_t before = size();
    TGIFColorMap saved;
    saved.Assign(table);
    std::vector<std::vector<uint8_t>> pixels;
    std::vector<int> transparent;
    for (const TGIFSubImage* frame : users) {
        pixels.emplace_back(frame->Data(), frame->Data() + frame->DataSize());
        const TGIFGraphicControlExtension* gce = frame->GraphicControlExtension();
        transparent.push_back(gce ? gce->TransparentColorIndex() : -1);
    }
    const uint8_t background = image.Header().BackgroundColorIndex();
    table.Optimize();
    if (then) then();
    if (size() <= before) return;
    table.Assign(saved);
    image.Header().SetBackgroundColorIndex(background);
    for (size_t i = 0; i < users.size(); ++i) {
        TGIFSubImage& frame = *users[i];
        std::copy(pixels[i].begin(), pixels[i].end(), frame.Data());
        frame.FreeBitmap();
        // (An index past the table was left as it was.)
        if (TGIFGraphicControlExtension* gce = frame.GraphicControlExtension(); gce && gce->TransparentColorIndex() != transparent[i])
            gce->SetTransparentColorIndex(uint8_t(transparent[i]));
    }
}

} // namespace

// ---- composite bitmap and drawing ----

const QImage& TGIFImage::Bitmap() {
    if (!m_bitmap.isNull() || Empty()) return m_bitmap;
    const QRect picture = PictureRect();
    if (picture.isEmpty()) return m_bitmap;
    TGIFSubImage& first = m_images[0];
    if (!first.Empty() && first.BoundsRect() == picture) {
        m_bitmap = first.Bitmap();
        return m_bitmap;
    }
    if (!FitsBitmapLimit(picture.width(), picture.height(), 4)) RaiseGIFError(SFrameTooLarge);
    QImage bitmap(picture.size(), QImage::Format_RGB32);
    if (bitmap.isNull()) return m_bitmap;
    PaintStill(bitmap);
    m_bitmap = bitmap;
    return m_bitmap;
}

void TGIFImage::PaintStill(QImage& canvas) {
    // What the first frame does not cover shows the background, as it would
    // on the screen.
    canvas.fill(TGIFPainter::BackgroundColorOf(*this));
    if (Empty() || m_images[0].Empty()) return;
    QPainter painter(&canvas);
    m_images[0].Draw(painter, canvas.rect(), false, false, PictureRect());
}

void TGIFImage::AssignTo(QImage& dest) const { dest = const_cast<TGIFImage*>(this)->Bitmap(); }

void TGIFImage::Draw(QPainter& canvas, const QRect& rect) const { const_cast<TGIFImage*>(this)->DrawImage(canvas, rect); }

void TGIFImage::PaintComposite(QPainter& canvas, const QRect& rect) {
    if (m_bitmap.isNull()) return;
    const bool smooth = canvas.testRenderHint(QPainter::SmoothPixmapTransform);
    canvas.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (m_drawOptions & DrawTile) {
        const QSize size = m_bitmap.size();
        DrawTiles(canvas, m_bitmap, m_bitmap.rect(),
                  TilesMeeting(rect.topLeft(), size, size, rect.topLeft() + QPoint(rect.width(), rect.height()),
                               PaintableArea(canvas)));
    } else {
        canvas.drawImage(rect, m_bitmap);
    }
    canvas.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
}

void TGIFImage::DrawImage(QPainter& canvas, const QRect& rect) {
    if (m_drawing || Empty()) return;
    m_drawing = true;
    struct Guard {
        bool& flag;
        ~Guard() { flag = false; }
    } guard{m_drawing};

    if (m_images.Count() > 1 && (m_drawOptions & DrawAnimate)) {
        bool direct = (m_drawOptions & DrawDirect) != 0;
        // A widget takes paint only from its paint event, so an animation
        // that outlives this call paints into the composite bitmap instead.
        if (direct && (m_drawOptions & DrawAsync) && canvas.device() &&
            canvas.device()->devType() == QInternal::Widget)
            direct = false;
        if (!m_bitmap.isNull() && !direct) {
            PaintComposite(canvas, rect);
            return;
        }
        if (m_drawPainter && m_drawPainter->Device() == canvas.device() && m_drawPainter->Rect() == rect) return;
        PaintStop();
        TGIFPainter* painter;
        if (direct) {
            painter = StartPainter(&m_drawPainter, canvas.device(), m_drawOptions, rect, &canvas);
        } else {
            // Starts clear: drawn over the canvas, it shows what lies beneath
            // wherever the animation is transparent.
            const QRect picture = PictureRect();
            if (picture.isEmpty() || !FitsBitmapLimit(picture.width(), picture.height(), 4)) return;
            m_bitmap = QImage(picture.size(), QImage::Format_ARGB32_Premultiplied);
            if (m_bitmap.isNull()) return;
            m_bitmap.fill(Qt::transparent);
            painter = StartPainter(&m_drawPainter, &m_bitmap, m_drawOptions, m_bitmap.rect());
        }
        if (painter) {
            painter->Start();
            painter->DetachExternal();
        }
        if (!direct) PaintComposite(canvas, rect);
        return;
    }
    const int index = m_forceFrame >= 0 && m_forceFrame < m_images.Count() ? m_forceFrame : 0;
    m_images[index].Draw(canvas, rect, (m_drawOptions & DrawTransparent) != 0, (m_drawOptions & DrawTile) != 0);
}

TGIFPainter* TGIFImage::StartPainter(TGIFPainter** painterRef, QPaintDevice* device, uint16_t options,
                                     const QRect& rect, QPainter* external) {
    if (Empty() || rect.isEmpty()) return nullptr;
    if (m_images.Count() == 1) options &= uint16_t(~(DrawAsync | DrawAnimate));
    const auto setUp = [this](TGIFPainter& painter) {
        painter.OnPaintStart = OnStartPaint;
        painter.OnFramePaint = OnPaint;
        painter.OnFramePainted = OnAfterPaint;
        painter.OnLoopRestart = OnLoop;
        painter.OnPaintEnd = OnEndPaint;
        painter.SetClock(m_painterClock);
        m_painters.push_back(&painter);
    };
    if (options & DrawAsync) {
        auto* painter = new TGIFPainter(*this, device, rect, options, painterRef, external);
        setUp(*painter);
        painter->SetPriority(m_painterPriority);
        return painter;
    }
    TGIFPainter painter(*this, device, rect, options, painterRef, external);
    setUp(painter);
    painter.Start();
    if (painterRef && *painterRef == &painter) *painterRef = nullptr;
    return nullptr;
}

void TGIFImage::StopPainters() {
    const std::vector<TGIFPainter*> painters = m_painters;
    for (TGIFPainter* painter : painters)
        if (std::find(m_painters.begin(), m_painters.end(), painter) != m_painters.end()) painter->Stop();
    // A painter busy in one of its handlers ends when that returns; until
    // then it must not use this image's composite bitmap, which goes now.
    FreeBitmap();
}

void TGIFImage::PaintStop() {
    if (m_drawPainter) m_drawPainter->Stop();
    FreeBitmap();
}

void TGIFImage::PainterPainted(TGIFPainter& painter) {
    if (painter.Device() == &m_bitmap) Changed();
}

void TGIFImage::RemovePainter(TGIFPainter* painter) {
    m_painters.erase(std::remove(m_painters.begin(), m_painters.end(), painter), m_painters.end());
    if (m_drawPainter == painter) m_drawPainter = nullptr;
}

// ---- copies ----

int TGIFImage::Add(std::unique_ptr<TGIFSubImage> frame) {
    const int index = m_images.Add(std::move(frame));
    FitScreenToFrames();
    FreeBitmap();
    Changed();
    return index;
}

int TGIFImage::Add(const platform::TGraphic& source) {
    auto frame = std::make_unique<TGIFSubImage>(this);
    frame->Assign(source);
    return Add(std::move(frame));
}

int TGIFImage::Add(const QImage& source) {
    auto frame = std::make_unique<TGIFSubImage>(this);
    frame->Assign(source);
    return Add(std::move(frame));
}

void TGIFImage::Assign(const platform::TGraphic& source) {
    if (&source == this) return;
    const auto* gif = dynamic_cast<const TGIFImage*>(&source);
    if (!gif) {
        Clear();
        if (!source.Empty()) Add(source);
        return;
    }
    // The copy reports through this image's own handlers, which it keeps.
    Clear();
    Progress(nullptr, TProgressStage::psStarting, 0, false, SCopying);
    try {
        m_header.Assign(gif->m_header);
        m_painterPriority = gif->m_painterPriority;
        m_backgroundColor = gif->m_backgroundColor;
        m_drawOptions = gif->m_drawOptions;
        m_colorReduction = gif->m_colorReduction;
        m_ditherMode = gif->m_ditherMode;
        m_forceFrame = gif->m_forceFrame;
        OnStartPaint = gif->OnStartPaint;
        OnPaint = gif->OnPaint;
        OnAfterPaint = gif->OnAfterPaint;
        OnLoop = gif->OnLoop;
        OnEndPaint = gif->OnEndPaint;
        const int count = gif->m_images.Count();
        for (int i = 0; i < count; ++i) {
            auto frame = std::make_unique<TGIFSubImage>(this);
            frame->Assign(gif->m_images[i]);
            m_images.Add(std::move(frame));
            Progress(nullptr, TProgressStage::psRunning, (i + 1) * 100 / count, false, SCopying);
        }
    } catch (...) {
        Progress(nullptr, TProgressStage::psEnding, 0, true, SCopying);
        throw;
    }
    Progress(nullptr, TProgressStage::psEnding, 100, true, SCopying);
}

void TGIFImage::AssignTo(platform::TGraphic& dest) const {
    if (auto* gif = dynamic_cast<TGIFImage*>(&dest)) {
        gif->Assign(*this);
        return;
    }
    platform::TGraphic::AssignTo(dest);
}

// ---- optimiser ----

void TGIFImage::Optimize(uint8_t options, TColorReduction colorReduction, TDitherMode, int) {
    if (Empty()) return;
    // Checked first, so a refused call leaves the image as it was.
    if ((options & ooReduceColors) && !(options & ooCleanup) && colorReduction == TColorReduction::ReduceUserPalette)
        RaiseGIFError(SInvalidReductionMethod);
    StopPainters();
    Progress(nullptr, TProgressStage::psStarting, 0, false, SOptimizing);
    int steps = 0;
    const auto step = [&] {
        const int total = 6 * std::max(m_images.Count(), 1);
        Progress(nullptr, TProgressStage::psRunning, std::min(++steps * 100 / total, 100), false, SOptimizing);
    };
    try {
        if (options & ooColorMap) {
            // The local tables first: sorted, they may lose entries, and the
            // background index must stay within every table of the file.
            for (const auto& frame : m_images) {
                if (frame->ColorMap().Count() > 0) SortIfNoLarger(*this, frame->ColorMap(), {frame.get()}, false);
                step();
            }
            TGIFColorMap& global = GlobalColorMap();
            if (global.Count() > 0) {
                std::vector<TGIFSubImage*> users;
                for (const auto& frame : m_images)
                    if (frame->ColorMap().Count() == 0 && !frame->Empty()) users.push_back(frame.get());
                // The colour the screen is cleared with: entry 0's for an
                // index past the table.
                const int index = m_header.BackgroundColorIndex();
                const TGIFColor& entry = global.Entry(index < global.Count() ? index : 0);
                const TColor background = RGBColor(entry.Red, entry.Green, entry.Blue);
                const auto place = [&] { PlaceBackground(background); };
                SortIfNoLarger(*this, global, users, true, place);
                // Again where the sort was undone: a local table it shortened
                // may no longer hold the index.
                place();
            }
        }

        if (options & ooCleanup) {
            for (const auto& frame : m_images) {
                TGIFGraphicControlExtension* gce = frame->GraphicControlExtension();
                if (frame->Transparent() && gce && !frame->Empty()) {
                    const uint8_t t = gce->TransparentColorIndex();
                    const uint8_t* data = frame->Data();
                    if (std::find(data, data + frame->DataSize(), t) == data + frame->DataSize()) gce->SetTransparent(false);
                }
                step();
            }
            // Disposing of a frame is needless when the next frame covers it
            // whole with opaque pixels, unless that frame restores to the
            // previous state afterwards: the state it goes back to is the
            // one this frame's disposal left.
            for (int i = 0; i + 1 < m_images.Count(); ++i) {
                TGIFSubImage& frame = m_images[i];
                const TGIFSubImage& next = m_images[i + 1];
                TGIFGraphicControlExtension* gce = frame.GraphicControlExtension();
                if (!gce || (gce->Disposal() != 2 && gce->Disposal() != 3) || next.Transparent() || Disposal(next) == 3)
                    continue;
                const QRect overlap = frame.BoundsRect() & next.BoundsRect();
                if (!overlap.isEmpty() && overlap == frame.BoundsRect()) gce->SetDisposal(0);
            }
        }

        if (options & ooMerge) {
            for (int i = m_images.Count() - 1; i >= 1; --i) {
                int j = i - 1;
                while (j >= 1 && Disposal(m_images[j]) == 3) --j;
                TGIFSubImage& frame = m_images[i];
                TGIFSubImage& below = m_images[j];
                KeepIfNoLarger(*this, frame, [&] { frame.MergeTransparentWith(&below); });
                step();
            }
        }

        if (options & ooCrop) {
            for (int i = m_images.Count() - 1; i >= 0; --i) {
                TGIFSubImage& frame = m_images[i];
                TGIFGraphicControlExtension* gce = frame.GraphicControlExtension();
                step();
                // A frame restored to background clears its whole rectangle
                // afterwards, however little of it is opaque: cropping it
                // or dropping it would leave earlier pixels on the screen.
                if (frame.Empty() || !frame.Transparent() || !gce || gce->Disposal() == 2) continue;
                if (HasOpaquePixel(frame)) {
                    KeepIfNoLarger(*this, frame, [&] { frame.Crop(); });
                    continue;
                }
                if (m_images.Count() == 1) continue;
                // Nothing of it shows, but while it is shown the picture
                // before it stays only when that frame leaves its pixels in
                // place: restored to the background or to what lay beneath,
                // it vanishes at this frame's start. Where its time cannot go
                // to that frame whole, the frame stays, shrunk to one pixel.
                TGIFGraphicControlExtension* before = i > 0 ? m_images[i - 1].GraphicControlExtension() : nullptr;
                if (!before || before->Disposal() > 1 || before->Delay() == 0 || gce->Delay() == 0 ||
                    before->Delay() + gce->Delay() > 0xFFFF) {
                    const uint8_t t = gce->TransparentColorIndex();
                    frame.SetBounds(frame.Left(), frame.Top(), 1, 1);
                    frame.Scanline(0)[0] = t;
                    continue;
                }
                // Its time goes to the frame before it, and what else it
                // carries (the looping extension) to the frame after it.
                before->SetDelay(uint16_t(before->Delay() + gce->Delay()));
                if (i + 1 < m_images.Count()) {
                    TGIFSubImage& after = m_images[i + 1];
                    for (int k = 0; k < frame.Extensions().Count();) {
                        TGIFExtension* extension = &frame.Extensions()[k];
                        if (extension == gce) {
                            ++k;
                            continue;
                        }
                        std::unique_ptr<TGIFExtension> moved = frame.Extensions().Remove(extension);
                        QBuffer buffer;
                        buffer.open(QIODevice::ReadWrite);
                        moved->SaveToStream(buffer);
                        buffer.seek(0);
                        if (const TGIFExtensionClass* cls = TGIFExtension::FindExtension(buffer)) {
                            std::unique_ptr<TGIFExtension> copy = cls->Create(&after);
                            copy->LoadFromStream(buffer);
                            after.Extensions().Add(std::move(copy));
                        }
                    }
                }
                m_images.Delete(i);
            }
        }

        if (options & ooCleanup) {
            const bool single = m_images.Count() == 1;
            for (int i = m_images.Count() - 1; i >= 0; --i) {
                TGIFSubImage& frame = m_images[i];
                TGIFExtensionList& extensions = frame.Extensions();
                for (int k = extensions.Count() - 1; k >= 0; --k) {
                    TGIFExtension* extension = &extensions[k];
                    bool drop = dynamic_cast<TGIFCommentExtension*>(extension) || dynamic_cast<TGIFTextExtension*>(extension) ||
                                dynamic_cast<TGIFUnknownAppExtension*>(extension);
                    // A loop read with a 10-byte identifier is written as one.
                    if (auto* app = dynamic_cast<TGIFApplicationExtension*>(extension);
                        app && app->WrittenClass() == &TGIFAppExtNSLoop::Class())
                        drop = single || i != 0;
                    if (auto* gce = dynamic_cast<TGIFGraphicControlExtension*>(extension))
                        drop = (gce->Delay() == 0 || single) && !gce->Transparent() && !gce->UserInput() &&
                               (gce->Disposal() < 2 || single);
                    if (drop) extensions.Delete(k);
                }
                if (frame.Empty() && extensions.Count() == 0) m_images.Delete(i);
                step();
            }
        }
    } catch (...) {
        Progress(nullptr, TProgressStage::psEnding, 0, true, SOptimizing);
        throw;
    }
    FreeBitmap();
    Progress(nullptr, TProgressStage::psEnding, 100, true, SOptimizing);
    Changed();
}

void TGIFImage::PlaceBackground(TColor background) {
    // A reader such as giflib's refuses a background index past the table of
    // the frame it shows: keep it below every table the file holds.
    int holds = TGIFColorMap::MaxColors;
    for (const auto& frame : m_images)
        if (frame->ColorMap().Count() > 0 && !frame->Empty()) holds = std::min(holds, 1 << frame->WriteBitsPerPixel());
    TGIFColorMap& global = GlobalColorMap();
    const int index = m_header.BackgroundColorIndex();
    if (index < std::min(holds, global.Count()) && global.Colors(index) == background) return;
    // Sorted out of the table when no pixel used it, which left room.
    int place = global.IndexOfColor(background);
    if (place < 0 && global.Count() >= TGIFColorMap::MaxColors) return;
    if (place < 0) place = global.Add(background);
    if (place >= holds) {
        global.Exchange(place, holds - 1);
        place = holds - 1;
    }
    m_header.SetBackgroundColorIndex(uint8_t(place));
}

void TGIFImage::WriteData(QIODevice& stream) {
    if (OptimizeBeforeWrite)
        Optimize(ooCrop | ooMerge | ooCleanup | ooColorMap | ooReduceColors, m_colorReduction, m_ditherMode,
                 m_reductionBits);
    platform::TGraphic::WriteData(stream);
}

// ---- clipboard ----

void TGIFImage::SaveToClipboardFormat(QMimeData& data) const {
    if (Empty()) return;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    try {
        SaveToStream(buffer);
    } catch (const std::exception&) {
        RaiseGIFError(SClipboardFailed);
    }
    data.setData(GIFMimeType, bytes);
    QImage bitmap;
    AssignTo(bitmap);
    if (!bitmap.isNull()) data.setImageData(bitmap);
}

void TGIFImage::LoadFromClipboardFormat(const QMimeData* data) {
    data = ClipboardData(data);
    if (data && data->hasFormat(GIFMimeType)) {
        QByteArray bytes = data->data(GIFMimeType);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        LoadFromStream(buffer);
        return;
    }
    if (data && data->hasImage()) {
        const QImage bitmap = qvariant_cast<QImage>(data->imageData());
        Clear();
        if (!bitmap.isNull()) Add(bitmap);
        return;
    }
    throw platform::EConvertError("Unsupported clipboard format");
}

} // namespace image
