#pragma once
// The GUI class library's picture: a holder of one graphic of any registered
// format. Graphic classes register themselves by file extension (any unit
// may do so at start-up, and later ones may add formats), and LoadFromFile
// picks the class by the file's extension. A picture may also hold a plain
// bitmap (a QImage), as the image loader hands its photos over.
//
// The registry is used on the user-interface thread only.

#include "platform/TGraphic.h"

#include <QImage>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

class QPainter;
class QRect;

namespace platform {

// A file whose extension names no registered graphic format.
class EInvalidGraphic : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TPicture {
public:
    // Makes an empty graphic of one format.
    using TGraphicFactory = std::function<std::unique_ptr<TGraphic>()>;

    TPicture();
    ~TPicture();
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    // Registers a format for `extension` (without the dot; letter case does
    // not matter). A second registration of the same extension replaces the
    // first. An empty extension or factory is ignored.
    static void RegisterFileFormat(std::string_view extension, std::string_view description,
                                   TGraphicFactory factory);
    // Forgets the format of `extension`; nothing when there is none.
    static void UnregisterFileFormat(std::string_view extension);
    // The description of the format registered for `extension`, or "" when
    // there is none.
    static std::string FileFormatDescription(std::string_view extension);

    // The graphic held; nullptr when the picture is empty.
    TGraphic* Graphic() const { return m_graphic.get(); }
    // Takes `graphic` (nullptr empties the picture).
    void SetGraphic(std::unique_ptr<TGraphic> graphic);

    // Loads the file into a new graphic of the format its extension names.
    // An unknown extension raises EInvalidGraphic "Unknown picture file
    // extension (.<ext>)"; any failure of the graphic passes through. On
    // failure the picture keeps what it held.
    void LoadFromFile(const std::string& fileName);
    // Holds a copy of `image` as a bitmap; a null image empties the picture.
    void Assign(const QImage& image);
    // Holds a copy of `source`'s picture (a bitmap rendering of it when its
    // graphic cannot be copied otherwise).
    void Assign(const TPicture& source);
    void Clear() { m_graphic.reset(); }

    bool Empty() const { return !m_graphic || m_graphic->Empty(); }
    int Width() const { return m_graphic ? m_graphic->Width() : 0; }
    int Height() const { return m_graphic ? m_graphic->Height() : 0; }

    // The picture rendered as an image; a null image when empty or when the
    // graphic cannot be drawn.
    QImage ToImage() const;
    // Draws the graphic stretched into `rect`; nothing when empty; a graphic
    // that fails to draw leaves the canvas as it was.
    void Draw(QPainter& canvas, const QRect& rect) const;

    // The held bitmap, for drawing on it. When the picture holds something
    // else it is replaced by a transparent bitmap of `width` x `height`
    // (drawn over with the old graphic, so nothing shown is lost).
    QImage& Bitmap(int width, int height);

private:
    std::unique_ptr<TGraphic> m_graphic;
};

} // namespace platform
