#pragma once
// A button with a picture (glyph) beside or instead of its caption. Its kind
// gives it the modal result and the Enter/Escape role of a standard button.

#include "app/controls/TButton.h"

#include <QColor>
#include <QPixmap>
#include <optional>

namespace app {

enum class TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };

// Where the glyph sits when the button draws it alone (no caption).
enum class TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

class TBitBtn : public TButton {
    Q_OBJECT
public:
    explicit TBitBtn(QWidget* parent = nullptr);

    // Setting a kind other than bkCustom sets the modal result (mrOk, mrCancel,
    // mrNone for help and close, mrYes, mrNo, mrAbort, mrRetry, mrIgnore, mrAll)
    // and makes OK/Yes the default and Cancel/No the cancel button. The caption
    // is left alone.
    TBitBtnKind Kind() const { return m_kind; }
    void SetKind(TBitBtnKind kind);

    // The picture as shown: the glyph cut or padded to its size, with the
    // transparent colour made transparent. Null when no glyph is set.
    QPixmap Glyph() const { return m_shown; }
    // A null pixmap removes the glyph.
    void SetGlyph(const QPixmap& glyph);
    // Cuts the glyph to this size or pads it with transparent pixels, keeping
    // its top-left corner.
    void SetGlyphSize(QSize size);
    // Pixels of exactly this colour are not drawn.
    void SetTransparentColor(const QColor& colour);

    TButtonLayout Layout() const { return m_layout; }
    void SetLayout(TButtonLayout layout);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void UpdateShownGlyph();

    TBitBtnKind m_kind = TBitBtnKind::bkCustom;
    TButtonLayout m_layout = TButtonLayout::blGlyphLeft;
    QPixmap m_glyph;
    QPixmap m_shown;
    std::optional<QColor> m_transparent;
};

} // namespace app
