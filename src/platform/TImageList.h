#pragma once
// A list of same-sized small pictures addressed by index (tool-bar glyphs,
// tree check boxes). The pictures are drawn by the program; a picture of
// another size is cut or padded with transparent pixels at its top-left.

#include <QIcon>
#include <QPixmap>
#include <vector>

class QPainter;

namespace platform {

class TImageList {
public:
    // Sizes below 1 count as 1.
    explicit TImageList(int width = 16, int height = 16);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int Count() const { return int(m_images.size()); }

    // Appends a picture and returns its index. A null pixmap adds a
    // transparent picture, so the indices after it stay where they belong.
    int Add(const QPixmap& image);
    void Clear() { m_images.clear(); }

    // A null pixmap (and icon) outside 0..Count()-1.
    QPixmap Pixmap(int index) const;
    QIcon Icon(int index) const;
    // Draws the picture with its top-left corner at (x, y); nothing outside
    // the list.
    void Draw(QPainter& painter, int x, int y, int index) const;

private:
    int m_width;
    int m_height;
    std::vector<QPixmap> m_images;
};

} // namespace platform
