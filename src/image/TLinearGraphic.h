#pragma once
// A linear bitmap as a graphic of the GUI layer, so that graphic users can
// load registered formats by file extension and draw them. Descendants for
// particular formats override LoadFromStream / SaveToStream.

#include "image/TLinearBitmap.h"
#include "platform/TGraphic.h"

namespace image {

class TLinearGraphic : public platform::TGraphic {
public:
    TLinearGraphic() = default;

    std::string ClassName() const override { return "TLinearGraphic"; }

    TLinearBitmap& Image() { return m_image; }
    const TLinearBitmap& Image() const { return m_image; }

    // Into another TLinearGraphic: its image becomes a copy of this one; any
    // other graphic raises EImageError "Cannot assign TLinearBitmap to <class>".
    void AssignTo(platform::TGraphic& dest) const override;
    // The image as a QImage (see TLinearBitmap::AssignTo); an empty image
    // leaves `dest` untouched.
    void AssignTo(QImage& dest) const override;
    // Paints without smoothing; an empty image raises
    // EImageError "Unsupported pixel format".
    void Draw(QPainter& canvas, const QRect& rect) const override;
    bool Empty() const override { return !m_image.Present(); }
    int Width() const override { return m_image.Width(); }
    int Height() const override { return m_image.Height(); }
    // Resize the canvas keeping the picture at the top left (black fill).
    void SetWidth(int value) override;
    void SetHeight(int value) override;

    // The stream holds a Windows BMP; data that is not one raises
    // ELinearBitmap "Bitmap image is not valid".
    void LoadFromStream(QIODevice& stream) override;
    // Writes a Windows BMP; nothing for an empty image; a device error raises
    // EInOutError "Error writing to stream - <reason>".
    void SaveToStream(QIODevice& stream) const override;
    // By extension, through the loader registry.
    void LoadFromFile(const std::string& fileName) override;
    void SaveToFile(const std::string& fileName) const override;

    // The image goes to the clipboard as an image (nothing for an empty
    // one) and comes back from one; clipboard data without an image raises
    // EConvertError "Unsupported clipboard format".
    void SaveToClipboardFormat(QMimeData& data) const override;
    void LoadFromClipboardFormat(const QMimeData* data) override;

protected:
    // For descendants of one format: the image read or written at the
    // device's position through the loader registered for `ext` ("PNG",
    // "JPG", ...).
    void LoadFromStreamAs(QIODevice& stream, const char* ext);
    void SaveToStreamAs(QIODevice& stream, const char* ext) const;

private:
    TLinearBitmap m_image;
};

} // namespace image
