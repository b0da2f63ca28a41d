#pragma once
// The GUI class library's abstract graphic, as far as the program's graphic
// classes (the linear-bitmap graphics, the GIF image) need it: a picture that
// knows its size, draws itself with a QPainter, loads and saves itself
// through a QIODevice or a file, and copies itself to and from other graphics
// and to a QImage (the library's "bitmap").
//
// AssignTo is overloaded; a descendant that overrides one overload should
// say `using platform::TGraphic::AssignTo;` so the other stays visible.

#include <QRect>
#include <stdexcept>
#include <string>

class QClipboard;
class QIODevice;
class QImage;
class QMimeData;
class QPainter;

namespace platform {

// A graphic copied to or from something it cannot take.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A graphic file that cannot be opened or created.
class EFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TGraphic {
public:
    TGraphic() = default;
    TGraphic(const TGraphic&) = delete;
    TGraphic& operator=(const TGraphic&) = delete;
    virtual ~TGraphic() = default;

    // The class name used in error texts.
    virtual std::string ClassName() const { return "TGraphic"; }

    // Copies `source` into this graphic. The base asks the source
    // (source.AssignTo(*this)), which raises when it cannot.
    virtual void Assign(const TGraphic& source);
    // Copies this graphic into `dest`. The base raises EConvertError
    // "Cannot assign a <this class> to a <dest class>".
    virtual void AssignTo(TGraphic& dest) const;
    // Renders this graphic into `dest`, replacing its contents. The base
    // raises EConvertError "Cannot assign a <this class> to a TBitmap"; a
    // caller may then draw the graphic onto an image instead.
    virtual void AssignTo(QImage& dest) const;

    // Draws the graphic stretched into `rect`. An empty graphic may raise.
    virtual void Draw(QPainter& canvas, const QRect& rect) const = 0;
    // True when there is nothing to draw.
    virtual bool Empty() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetWidth(int value) = 0;
    virtual void SetHeight(int value) = 0;

    // Reads the graphic from the device's current position; errors raise.
    virtual void LoadFromStream(QIODevice& stream) = 0;
    // Writes the graphic at the device's current position; errors raise.
    virtual void SaveToStream(QIODevice& stream) const = 0;
    // Opens the file and calls LoadFromStream; a file that cannot be opened
    // raises EFileError "Cannot open file "<name>". <reason>".
    virtual void LoadFromFile(const std::string& fileName);
    // Saves through SaveToStream into a temporary file renamed over the
    // target only when everything was written, so a failed save keeps the old
    // file; failures raise EFileError "Cannot create file "<name>". <reason>".
    virtual void SaveToFile(const std::string& fileName) const;

    // True when `other` is a graphic of the same class showing the same
    // picture: both empty, or SaveToStream writes the same bytes for both.
    virtual bool Equals(const TGraphic& other) const;
    // Writes the graphic where it is kept inside other data; the base is
    // SaveToStream.
    virtual void WriteData(QIODevice& stream);

    // Puts the graphic into clipboard data; the base puts the image that
    // AssignTo renders (nothing for an empty graphic).
    virtual void SaveToClipboardFormat(QMimeData& data) const;
    // Replaces the graphic with clipboard data (the application clipboard's
    // when `data` is null). The base raises EConvertError "Unsupported
    // clipboard format".
    virtual void LoadFromClipboardFormat(const QMimeData* data);
    // Puts the graphic on `clipboard` through SaveToClipboardFormat.
    void SaveToClipboard(QClipboard& clipboard) const;

protected:
    // `data`, or the application clipboard's data when it is null (null
    // without a GUI application).
    static const QMimeData* ClipboardData(const QMimeData* data);
};

} // namespace platform
