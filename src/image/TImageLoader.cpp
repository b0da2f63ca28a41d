#include "image/TImageLoader.h"

#include "image/TLinearBitmap.h"
#include "web/TSubmit.h"

#include <QBuffer>
#include <QByteArray>
#include <QPainter>

namespace image {

namespace {

// Collects a response body in a framework memory buffer.
class ByteArrayContent final : public TResponseContent {
public:
    explicit ByteArrayContent(QByteArray& target) : m_target(target) {}
    void Write(std::string_view bytes) override {
        m_target.append(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }

private:
    QByteArray& m_target;
};

} // namespace

TImageLoader::TImageLoader(QWidget* owner)
    : QWidget(owner), m_ownSubmit(std::make_unique<TSubmit>()), m_submit(m_ownSubmit.get()) {
    m_ownSubmit->SetMaxContentLength(MaxDownloadBytes);
}

TImageLoader::~TImageLoader() = default;

const std::string& TImageLoader::URL() const { return m_submit->URL(); }

void TImageLoader::SetURL(const std::string& value) { m_submit->SetURL(value); }

void TImageLoader::SetActive(bool value) {
    m_active = value;
    if (value) Load();
}

void TImageLoader::Load() {
    const bool own = m_submit == m_ownSubmit.get();
    QImage picture;
    try {
        QByteArray body;
        ByteArrayContent content(body);
        if (own) {
            m_submit->RequestHeader().SetRawHeaderText("");
            m_submit->Connect();
            m_submit->RequestHeader().SetAccept(AcceptTypes);
        }
        m_submit->Get(content);
        if (!body.isEmpty() && body.size() <= qsizetype(MaxDownloadBytes)) {
            QBuffer buffer(&body);
            buffer.open(QIODevice::ReadOnly);
            TLinearBitmap bitmap;
            bitmap.LoadFromTStream(buffer, m_imageType);
            bitmap.AssignTo(picture);
        }
    } catch (...) {
        // Whatever failed (download, decoding, memory), the control shows
        // nothing rather than the previous picture; nothing is reported.
        picture = QImage();
    }
    if (own) m_submit->Disconnect();
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
