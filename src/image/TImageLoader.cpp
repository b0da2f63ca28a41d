#include "image/TImageLoader.h"

#include "image/TDownloadBuffer.h"
#include "image/TLinearBitmap.h"
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
    connect(&m_decoding, &QFutureWatcher<QImage>::finished, this, [this] { Decoded(); });
}

TImageLoader::~TImageLoader() = default;

const std::string& TImageLoader::URL() const { return m_submit->URL(); }

void TImageLoader::SetURL(const std::string& value) { m_submit->SetURL(value); }

void TImageLoader::SetActive(bool value) {
    m_active = value;
    if (value) Load();
}

QImage TImageLoader::Decode(std::string&& body, const std::string& imageType) {
    if (body.empty() || body.size() > MaxDownloadBytes) return {};
    const std::lock_guard turn(DecodingTurn());
    try {
        TDownloadBuffer buffer(std::move(body));
        TLinearBitmap bitmap;
        bitmap.LoadFromTStream(buffer, imageType);
        QImage picture;
        bitmap.MoveTo(picture);
        return picture;
    } catch (...) {
        // Damaged data, no loader for the type, no memory: no picture.
        return {};
    }
}

void TImageLoader::Load() {
    Abort(); // the client can carry one request at a time
    const bool own = m_submit == m_ownSubmit.get();
    QImage picture;
    try {
        std::string body;
        if (own) {
            m_submit->RequestHeader().SetRawHeaderText("");
            m_submit->Connect();
            m_submit->RequestHeader().SetAccept(AcceptTypes);
        }
        m_submit->Get(body);
        picture = Decode(std::move(body), m_imageType);
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
                Finish(QImage());
                return;
            }
            auto promise = std::make_shared<QPromise<QImage>>();
            promise->start();
            m_decoding.setFuture(promise->future());
            m_decodingStarted = true;
            auto bytes = std::make_shared<std::string>(std::move(body));
            DecodingThread().start([promise, bytes, type = m_imageType] {
                // The download is used up by the decode, before the picture is handed on.
                QImage picture = Decode(std::move(*bytes), type);
                promise->addResult(std::move(picture));
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
    if (std::exchange(m_decodingStarted, false)) m_decoding.setFuture(QFuture<QImage>());
}

void TImageLoader::Decoded() {
    // Only the decode this Start began counts (the watcher also reports the
    // empty future it is left with).
    if (!m_busy || !std::exchange(m_decodingStarted, false)) return;
    QFuture<QImage> future = m_decoding.future();
    QImage picture = future.isValid() && future.resultCount() > 0 ? future.takeResult() : QImage();
    Finish(std::move(picture));
}

void TImageLoader::Finish(QImage picture) {
    m_busy = false;
    Show(std::move(picture));
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
