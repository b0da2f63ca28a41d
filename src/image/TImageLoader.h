#pragma once
// An image control that downloads its picture over HTTP and decodes it with
// the loader registry. The favourites window sets the address and the
// format, activates the control, and copies the picture onto a person card.
// The download and the decoding run synchronously on the caller's thread.

#include <QImage>
#include <QWidget>
#include <cstddef>
#include <memory>
#include <string>

class TSubmit;

namespace image {

class TImageLoader : public QWidget {
    Q_OBJECT

public:
    // A photo larger than this is not downloaded (the transfer is cut off).
    static constexpr size_t MaxDownloadBytes = size_t(20) << 20;
    // The Accept header of every request.
    static constexpr const char* AcceptTypes =
        "text/xml,application/xml,application/xhtml+xml,text/html;q=0.9,text/plain;q=0.8,"
        "video/x-mng,image/png,image/jpeg,image/gif;q=0.2,*/*;q=0.1";

    explicit TImageLoader(QWidget* owner = nullptr);
    ~TImageLoader() override;

    // The address of the picture (the HTTP client's URL).
    const std::string& URL() const;
    void SetURL(const std::string& value);
    // The extension that picks the loader ("GIF", "JPEG", ...); the loader is
    // chosen by it, not by the data.
    const std::string& ImageType() const { return m_imageType; }
    void SetImageType(const std::string& value) { m_imageType = value; }
    // Setting True downloads and decodes at once (Load); it stays True, so
    // every further True downloads again. False does nothing else.
    bool Active() const { return m_active; }
    void SetActive(bool value);

    // Downloads URL and decodes it as ImageType into Picture. Never raises:
    // any failure (no connection, an HTTP error, an empty or oversized body,
    // no loader for the type, damaged data) leaves the picture empty, so a
    // failed photo never shows the one loaded before it.
    void Load();

    // The decoded picture; a null image when there is none.
    const QImage& Picture() const { return m_picture; }

    // The client used for requests.
    TSubmit& Submit() { return *m_submit; }

    QSize sizeHint() const override;

protected:
    // Draws the picture unscaled at the top left.
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_active = false;
    std::string m_imageType;
    std::unique_ptr<TSubmit> m_ownSubmit;
    TSubmit* m_submit = nullptr;
    QImage m_picture;
};

} // namespace image
