#include "app/controls/TBitBtn.h"

#include <QBitmap>
#include <QIcon>
#include <QImage>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace app {

using namespace platform;

TBitBtn::TBitBtn(QWidget* parent) : TButton(parent) {}

void TBitBtn::SetKind(TBitBtnKind kind) {
    m_kind = kind;
    if (kind == TBitBtnKind::bkCustom) return;
    int result = mrNone;
    switch (kind) {
    case TBitBtnKind::bkOK: result = mrOk; break;
    case TBitBtnKind::bkCancel: result = mrCancel; break;
    case TBitBtnKind::bkYes: result = mrYes; break;
    case TBitBtnKind::bkNo: result = mrNo; break;
    case TBitBtnKind::bkAbort: result = mrAbort; break;
    case TBitBtnKind::bkRetry: result = mrRetry; break;
    case TBitBtnKind::bkIgnore: result = mrIgnore; break;
    case TBitBtnKind::bkAll: result = mrAll; break;
    case TBitBtnKind::bkHelp:
    case TBitBtnKind::bkClose:
    case TBitBtnKind::bkCustom: break;
    }
    SetModalResult(result);
    setDefault(kind == TBitBtnKind::bkOK || kind == TBitBtnKind::bkYes);
    SetCancel(kind == TBitBtnKind::bkCancel || kind == TBitBtnKind::bkNo);
}

void TBitBtn::SetGlyph(const QPixmap& glyph) {
    m_glyph = glyph;
    UpdateShownGlyph();
}

void TBitBtn::SetGlyphSize(QSize size) {
    if (m_glyph.isNull() || m_glyph.size() == size) return;
    QImage image = m_glyph.toImage();
    // Growing adds pixels, which must come out transparent rather than black.
    if (size.width() > image.width() || size.height() > image.height())
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    m_glyph = QPixmap::fromImage(image.copy(0, 0, size.width(), size.height()));
    UpdateShownGlyph();
}

void TBitBtn::SetTransparentColor(const QColor& colour) {
    m_transparent = colour;
    UpdateShownGlyph();
}

void TBitBtn::SetLayout(TButtonLayout layout) {
    m_layout = layout;
    update();
}

void TBitBtn::UpdateShownGlyph() {
    m_shown = m_glyph;
    if (!m_shown.isNull() && m_transparent)
        m_shown.setMask(m_glyph.createMaskFromColor(*m_transparent, Qt::MaskInColor));
    setIcon(m_shown.isNull() ? QIcon() : QIcon(m_shown));
    if (!m_shown.isNull()) setIconSize(m_shown.size());
    update();
}

void TBitBtn::paintEvent(QPaintEvent* event) {
    // With a caption the style lays out glyph and text; a picture-only face
    // is drawn here, so that a glyph nearly as large as the button is neither
    // squeezed by the style's padding nor clipped.
    if (!text().isEmpty() || m_shown.isNull()) {
        TButton::paintEvent(event);
        return;
    }
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    option.icon = QIcon();
    painter.drawControl(QStyle::CE_PushButtonBevel, option);

    const QPixmap picture = isEnabled() ? m_shown
                                        : style()->generatedIconPixmap(QIcon::Disabled, m_shown, &option);
    int x = (width() - picture.width()) / 2;
    int y = (height() - picture.height()) / 2;
    switch (m_layout) {
    case TButtonLayout::blGlyphLeft: x = 0; break;
    case TButtonLayout::blGlyphRight: x = width() - picture.width(); break;
    case TButtonLayout::blGlyphTop: y = 0; break;
    case TButtonLayout::blGlyphBottom: y = height() - picture.height(); break;
    }
    if (isDown()) {
        x += style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this);
        y += style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this);
    }
    painter.drawPixmap(x, y, picture);

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(3, 3, -3, -3);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

} // namespace app
