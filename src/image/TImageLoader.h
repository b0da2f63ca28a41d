#pragma once
// An image control that downloads its picture over HTTP and decodes it with
// the loader registry. The favourites window sets the address and the
// format, starts the control, and copies the picture onto a person card.
//
// Load (and Active) download and decode on the caller's thread. Start does
// the same without the wait: the download is carried on by the event loop,
// the decoding runs on the photo decoding thread (one for the whole
// program, so decodes never run side by side and a large photo never stalls
// painting), and the picture is set on the control's own thread, where
// OnLoaded follows.

#include <QFutureWatcher>
#include <QImage>
#include <QWidget>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class TSubmit;

namespace image {

class TImageLoader : public QWidget {
    Q_OBJECT

public:
    // A photo larger than this is not downloaded (the transfer is cut off).
    static constexpr size_t MaxDownloadBytes = size_t(20) << 20;
    // The most a JPEG photo may cost in memory, its download and its
    // decoding together, whatever size its header declares.
    static constexpr int64_t MaxPhotoMemory = int64_t(512) << 20;
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

    // Load without the wait: returns at once, and OnLoaded follows from a
    // later turn of the event loop (never from within Start) with Picture
    // set as Load would have set it. Another Start, Abort or the control's
    // end gives up the one under way, and its OnLoaded never comes. Throws
    // only for a missing URL, at once.
    void Start();
    // Gives up what Start began; the picture stays as it is.
    void Abort();
    // Started and not yet loaded.
    bool Busy() const { return m_busy; }
    // After Start, once the picture is set (also when it came out empty).
    std::function<void(TImageLoader& sender)> OnLoaded;

    // The decoded picture; a null image when there is none.
    const QImage& Picture() const { return m_picture; }
    // Why the last download gave no picture when its decoding refused it for
    // a reason worth telling (see Decode); empty otherwise.
    const std::string& DecodeFailure() const { return m_decodeFailure; }

    // The client used for requests.
    TSubmit& Submit() { return *m_submit; }

    // A downloaded body decoded as Load and Start decode it (`imageType`
    // picks the loader); a null image for an empty or oversized body, no
    // loader for the type, or damaged data. The picture's pixels are the
    // decoder's own, never a copy, and the body is used up: a GIF's gives
    // its memory back as it is decoded (see TDownloadBuffer). Start runs it
    // on the photo decoding thread; the loaders keep state, so decodes take
    // turns, whichever threads call it. A JPEG photo that would cost more
    // than MaxPhotoMemory is refused before its pixels are made, and then
    // `failure` (when given) gets the cause in words for the user.
    static QImage Decode(std::string&& body, const std::string& imageType, std::string* failure = nullptr);

    QSize sizeHint() const override;

protected:
    // Draws the picture unscaled at the top left.
    void paintEvent(QPaintEvent* event) override;

private:
    // What the decoding thread hands back.
    struct TDecoded {
        QImage picture;
        std::string failure;
    };

    void Show(QImage picture);
    // The end of what Start began: the picture, then OnLoaded.
    void Finish(TDecoded decoded);
    void Decoded();

    bool m_active = false;
    bool m_busy = false;
    // The watcher follows the decode of the current Start.
    bool m_decodingStarted = false;
    QFutureWatcher<TDecoded> m_decoding;
    std::string m_imageType;
    std::unique_ptr<TSubmit> m_ownSubmit;
    TSubmit* m_submit = nullptr;
    QImage m_picture;
    std::string m_decodeFailure;
};

} // namespace image
