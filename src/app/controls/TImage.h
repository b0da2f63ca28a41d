#pragma once
// The GUI class library's image control: shows one picture at its top left
// corner, and offers a canvas on which pictures and text are drawn into the
// picture itself (turning it into a bitmap of the control's size).

#include "platform/TPicture.h"

#include <QWidget>

class QPixmap;

namespace app {

class TImage : public QWidget {
    Q_OBJECT

public:
    explicit TImage(QWidget* parent = nullptr);

    // The picture shown; call update() (or use the setters below) after
    // changing it directly.
    platform::TPicture& Picture() { return m_picture; }
    const platform::TPicture& Picture() const { return m_picture; }
    // Shows a copy of `pixmap`; a null pixmap empties the picture.
    void SetPicture(const QPixmap& pixmap);
    // Shows a copy of `picture`.
    void SetPicture(const platform::TPicture& picture);
    // Empties the picture.
    void ClearPicture();

    // A picture larger than the control is scaled down to fit it, keeping
    // its proportions; otherwise it is shown at its own size.
    bool Proportional() const { return m_proportional; }
    void SetProportional(bool value);

    // Canvas operations. The first one turns the picture into a transparent
    // bitmap of the control's size (keeping what it showed).
    void CanvasDraw(int x, int y, const QPixmap& pixmap);
    void CanvasTextOut(int x, int y, const QString& text, const QColor& colour);
    // A fresh transparent canvas.
    void CanvasClear();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage& Canvas();

    platform::TPicture m_picture;
    bool m_proportional = false;
};

} // namespace app
