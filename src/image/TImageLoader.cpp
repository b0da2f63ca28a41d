#include "image/TImageLoader.h"

#include "image/TBitmapLoaders.h"
#include "image/TDownloadBuffer.h"
#include "image/THostFilterStream.h"
#include "image/TJPEGLoader.h"
#include "image/TLinearBitmap.h"
#include "platform/Text.h"
#include "web/TSubmit.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPointer>
#include <QPromise>
#include <QThreadPool>
#include <mutex>
#include <utility>

namespace image {

namespace {

// The photo decoding thread. A child of the application, so that a decode
// still under way is waited for when the application ends, while the
// loaders it uses are still there.
QThreadPool& DecodingThread() {
    static QPointer<QThreadPool> pool;
    if (!pool) {
        pool = new QThreadPool(QCoreApplication::instance());
        // One at a time: the loaders keep state of their own, and two large
        // photos decoded side by side would double the memory they take.
        pool->setMaxThreadCount(1);
    }
    return *pool;
}

// The registry's loaders keep state of their own (a PNG's alpha, the last
// picture's size), so decodes take turns: Load on the caller's thread waits
// for one under way on the decoding thread.
std::mutex& DecodingTurn() {
    static std::mutex turn;
    return turn;
}

} // namespace

TImageLoader::TImageLoader(QWidget* owner)
    : QWidget(owner), m_ownSubmit(std::make_unique<TSubmit>()), m_submit(m_ownSubmit.get()) {
    m_ownSubmit->SetMaxContentLength(MaxDownloadBytes);
    connect(&m_decoding, &QFutureWatcher<TDecoded>::finished, this, [this] { Decoded(); });
}

TImageLoader::~TImageLoader() = default;

const std::string& TImageLoader::URL() const { return m_submit->URL(); }

void TImageLoader::SetURL(const std::string& value) { m_submit->SetURL(value); }

void TImageLoader::SetActive(bool value) {
    m_active = value;
    if (value) Load();
}

QImage TImageLoader::Decode(std::string&& body, const std::string& imageType, std::string* failure) {
    if (body.empty() || body.size() > MaxDownloadBytes) return {};
    const std::lock_guard turn(DecodingTurn());
    const int64_t downloaded = static_cast<int64_t>(body.size());
    TJPEGLoader photoLoader;
    try {
        TDownloadBuffer buffer(std::move(body));
        TLinearBitmap bitmap;
        const std::string ext = text::AsciiUpper(imageType);
        if (dynamic_cast<TJPEGLoader*>(&BitmapLoaders().FindLoader(ext))) {
            // The download already takes its part of the bound.
            photoLoader.SetMaxMemory(MaxPhotoMemory - downloaded);
            THostFilterStream host(buffer);
            photoLoader.LoadFromStream(host, ext, bitmap);
        } else {
            bitmap.LoadFromTStream(buffer, ext);
        }
        QImage picture;
        bitmap.MoveTo(picture);
        return picture;
    } catch (const EJPEGTooLarge&) {
        if (failure)
            *failure = "снимок " + std::to_string(photoLoader.ImageWidth()) + "×" +
                       std::to_string(photoLoader.ImageHeight()) + " точек требует больше " +
                       std::to_string(MaxPhotoMemory >> 20) + " МБ памяти";
        return {};
    } catch (...) {
        // Damaged data, no loader for the type, no memory: no picture.
        return {};
    }
}

void TImageLoader::Load() {
    Abort(); // the client can carry one request at a time
    const bool own = m_submit == m_ownSubmit.get();
    QImage picture;
    m_decodeFailure.clear();
    try {
        std::string body;
        if (own) {
            m_submit->RequestHeader().SetRawHeaderText("");
            m_submit->Connect();
            m_submit->RequestHeader().SetAccept(AcceptTypes);
        }
        m_submit->Get(body);
        picture = Decode(std::move(body), m_imageType, &m_decodeFailure);
    } catch (...) {
        // Whatever failed (download, decoding, memory), the control shows
        // nothing rather than the previous picture; nothing is reported.
        picture = QImage();
    }
    if (own) m_submit->Disconnect();
    Show(std::move(picture));
}

void TImageLoader::Start() {
    Abort();
    const bool own = m_submit == m_ownSubmit.get();
    if (own) {
        m_submit->RequestHeader().SetRawHeaderText("");
        m_submit->Connect();
        m_submit->RequestHeader().SetAccept(AcceptTypes);
    }
    try {
        m_submit->GetStringAsync([this, own](std::string body) {
            if (own) m_submit->Disconnect();
            if (body.empty() || body.size() > MaxDownloadBytes) {
                Finish({});
                return;
            }
            auto promise = std::make_shared<QPromise<TDecoded>>();
            promise->start();
            m_decoding.setFuture(promise->future());
            m_decodingStarted = true;
            auto bytes = std::make_shared<std::string>(std::move(body));
            DecodingThread().start([promise, bytes, type = m_imageType] {
                // The download is used up by the decode, before the picture is handed on.
                TDecoded decoded;
                decoded.picture = Decode(std::move(*bytes), type, &decoded.failure);
                promise->addResult(std::move(decoded));
                promise->finish();
            });
        });
    } catch (...) {
        if (own) m_submit->Disconnect();
        throw;
    }
    m_busy = true;
}

void TImageLoader::Abort() {
    if (!m_busy) return;
    m_busy = false;
    m_submit->Abort();
    if (m_submit == m_ownSubmit.get()) m_submit->Disconnect();
    // A decode under way finishes on its thread; its picture is let go.
    if (std::exchange(m_decodingStarted, false)) m_decoding.setFuture(QFuture<TDecoded>());
}

void TImageLoader::Decoded() {
    // Only the decode this Start began counts (the watcher also reports the
    // empty future it is left with).
    if (!m_busy || !std::exchange(m_decodingStarted, false)) return;
    QFuture<TDecoded> future = m_decoding.future();
    Finish(future.isValid() && future.resultCount() > 0 ? future.takeResult() : TDecoded());
}

void TImageLoader::Finish(TDecoded decoded) {
    m_busy = false;
    m_decodeFailure = std::move(decoded.failure);
    Show(std::move(decoded.picture));
    // Last: the handler may free the control.
    if (OnLoaded) OnLoaded(*this);
}

void TImageLoader::Show(QImage picture) {
    m_picture = std::move(picture);
    updateGeometry();
    update();
}

QSize TImageLoader::sizeHint() const {
    return m_picture.isNull() ? QWidget::sizeHint() : m_picture.size();
}

void TImageLoader::paintEvent(QPaintEvent*) {
    if (m_picture.isNull()) return;
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), m_picture);
}

} // namespace image
