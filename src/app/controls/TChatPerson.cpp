#include "app/controls/TChatPerson.h"

#include "app/controls/TChatPersonList.h"
#include "app/controls/TImage.h"
#include "app/controls/TextLines.h"
#include "platform/BitmapResource.h"
#include "platform/MessageRoutines.h"
#include "platform/TPanel.h"
#include "platform/Text.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QTextLayout>
#include <algorithm>

namespace app {
namespace {

// $0099CC66, $A4A0A0, $6464EB and $333392 of the original.
const QColor kSelectedGreen(102, 204, 153);
const QColor kBorderGrey(160, 160, 164);
const QColor kIntimRed(235, 100, 100);
const QColor kIntimDark(146, 51, 51);

const char* const kAbsentHint = "Недоступен";
const char* const kConnectedHint = "Сейчас на сайте";
const char* const kQuestionnaireHint = "Открыть анкету";

QString q(const std::string& text) { return QString::fromStdString(text); }

platform::TPanel* makePanel(QWidget* parent, const char* name, const QColor& colour) {
    auto* panel = new platform::TPanel(parent);
    panel->setObjectName(name);
    panel->setAutoFillBackground(true);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, colour);
    panel->setPalette(palette);
    return panel;
}

TImage* makeImage(QWidget* parent, const char* name, const QRect& geometry, const char* hint = nullptr) {
    auto* image = new TImage(parent);
    image->setObjectName(name);
    image->setGeometry(geometry);
    if (hint) image->setToolTip(QString::fromUtf8(hint));
    return image;
}

QLabel* makeLabel(QWidget* parent, const char* name, QPoint at, const QColor& colour) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    // Names and areas come from the site: shown as written, never as markup.
    label->setTextFormat(Qt::PlainText);
    label->move(at);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    return label;
}

void setTextColour(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

// `text` as it fits `lines` lines of `width` pixels, wrapped at words: a
// text too long ends at the last whole word that fits, followed by "…" (a
// single word too long for its line is cut with "…" where it must be).
QString FitText(const QFont& font, const QString& text, int width, int lines) {
    const QFontMetrics metrics(font);
    if (width <= 0 || lines <= 0) return {};
    // No glyph but a mark is narrower than a pixel: what lies past a pixel a
    // character cannot be seen, and is not laid out.
    const QString shown = text.left(qsizetype(width + 1) * lines);
    QTextLayout layout(shown, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    int lastStart = 0, shownEnd = 0;
    for (int i = 0; i < lines; ++i) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) break;
        line.setLineWidth(width);
        lastStart = line.textStart();
        shownEnd = line.textStart() + line.textLength();
    }
    layout.endLayout();
    if (shownEnd >= text.size()) return text;
    const QString ellipsis = QStringLiteral("…");
    const QString last = shown.mid(lastStart);
    for (qsizetype end = last.lastIndexOf(' '); end > 0; end = last.lastIndexOf(' ', end - 1)) {
        const QString cut = last.left(end).trimmed() + ellipsis;
        if (!last.left(end).trimmed().isEmpty() && metrics.horizontalAdvance(cut) <= width)
            return text.left(lastStart) + cut;
    }
    return text.left(lastStart) + metrics.elidedText(last, Qt::ElideRight, width);
}

// `info` as it fits, where it begins with `name`: a name too long is cut
// with "…" so that what follows it (the age and the city) is still shown
// whole; otherwise as FitText cuts it.
QString FitInfo(const QFont& font, const QString& info, QString name, int width, int lines) {
    const QString whole = FitText(font, info, width, lines);
    // The text may hold the name cut with "…" already.
    qsizetype same = 0;
    while (same < name.size() && same < info.size() && name[same] == info[same]) ++same;
    const QString ellipsis = QStringLiteral("…");
    const qsizetype tailStart = same == name.size() ? same : info.mid(same).startsWith(ellipsis) ? same + 1 : -1;
    if (whole == info || same == 0 || tailStart < 0 || tailStart == info.size()) return whole;
    name.truncate(same);
    const QString tail = info.mid(tailStart);
    const auto shortened = [&](qsizetype keep) {
        if (keep > 0 && name[keep - 1].isHighSurrogate()) --keep;
        return name.left(keep).trimmed() + ellipsis + tail;
    };
    const auto fits = [&](const QString& text) { return FitText(font, text, width, lines) == text; };
    if (!fits(shortened(0))) return whole;
    qsizetype kept = 0, over = name.size(); // shortened(kept) fits, shortened(over) does not
    while (over - kept > 1) {
        const qsizetype middle = kept + (over - kept) / 2;
        (fits(shortened(middle)) ? kept : over) = middle;
    }
    return shortened(kept);
}

// Loads the named picture into `image` unless it already shows one.
void load(TImage* image, const char* name) {
    if (image->Picture().Empty()) image->SetPicture(platform::LoadBitmapResource(name));
}

void release(TImage* image) {
    if (!image->Picture().Empty()) image->ClearPicture();
}

} // namespace

TChatPerson::TChatPerson(QWidget* owner, TChatPersonList* list) : QWidget(owner), m_list(list) {
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
    setFocusPolicy(Qt::ClickFocus);
    resize(width(), 20);

    pnShortInfo = makePanel(this, "pnShortInfo", Qt::white);
    pnShortInfo->setGeometry(0, 0, width(), 20);
    imgShortInfo = makeImage(pnShortInfo, "imgShortInfo", QRect(4, 1, 500, 17));
    imgQuestionnaire = makeImage(pnShortInfo, "imgQuestionnaire", QRect(width() - 54, 3, 50, 16), kQuestionnaireHint);
    Bind(pnShortInfo, TClick::Person);
    Bind(imgShortInfo, TClick::Person);
    Bind(imgQuestionnaire, TClick::Questionnaire);

    SetChatPersonStyle(TChatPersonStyle::cpShort);
    SetLetter(false);
    SetPhotoCount(0);
    SetVideoCount(0);
    SetIntim(false);
    SetBasketVisible(true);
}

TChatPerson::~TChatPerson() = default;

void TChatPerson::SetChatPersonStyle(TChatPersonStyle value) {
    m_style = value;
    switch (value) {
    case TChatPersonStyle::cpShort:
    case TChatPersonStyle::cpSelected: {
        resize(width(), 20);
        QPalette palette = pnShortInfo->palette();
        palette.setColor(QPalette::Window, value == TChatPersonStyle::cpShort ? QColor(Qt::white) : kSelectedGreen);
        pnShortInfo->setPalette(palette);
        pnShortInfo->show();
        imgShortInfo->show();
        if (m_fullLayoutBuilt) {
            pnFullInfo->hide();
            imgShortInfo1->hide();
            imgFullInfo->hide();
        }
        break;
    }
    case TChatPersonStyle::cpFull:
        BuildFullLayout();
        imgVoice->setVisible(m_voice);
        imgVIP->setVisible(m_vip);
        imgReal->setVisible(m_real);
        resize(width(), 120);
        pnShortInfo->hide();
        imgShortInfo->hide();
        pnFullInfo->show();
        imgShortInfo1->show();
        imgFullInfo->show();
        break;
    case TChatPersonStyle::cpInsert:
        resize(width(), 120);
        pnShortInfo->hide();
        imgShortInfo->hide();
        break;
    }
    LayoutControls();
    SetPersonState(m_state);
    SetLetter(m_letter);
    UpdatePictures();
}

void TChatPerson::SetPersonState(TPersonState value) {
    m_state = value;
    const QString hint = QString::fromUtf8(value == TPersonState::psAbsent ? kAbsentHint : kConnectedHint);
    imgShortInfo->setToolTip(hint);
    if (m_fullLayoutBuilt) imgShortInfo1->setToolTip(hint);
    UpdatePictures();
}

void TChatPerson::SetPersonName(const std::string& value) {
    m_personName = value;
    if (m_fullLayoutBuilt) {
        lbPersonName1->setText(q(value));
        lbPersonName1->adjustSize();
        LayoutControls();
    }
}

const platform::TPicture* TChatPerson::PersonPicture() const { return m_fullLayoutBuilt ? &m_photo : nullptr; }

void TChatPerson::SetPersonPicture(const platform::TPicture& picture) {
    if (!m_fullLayoutBuilt) return;
    m_photo.Assign(picture);
    ShowPhoto();
}

void TChatPerson::SetPersonPicture(const QImage& picture) {
    if (!m_fullLayoutBuilt) return;
    m_photo.Assign(picture);
    ShowPhoto();
}

void TChatPerson::SetLetter(bool value) {
    m_letter = value;
    if (m_fullLayoutBuilt) imgNewMessage1->setVisible(value && m_style == TChatPersonStyle::cpFull);
    UpdatePictures();
}

void TChatPerson::SetPhotoCount(int32_t value) {
    m_photoCount = value;
    if (m_fullLayoutBuilt && value > 0) {
        lbPhotoCount->setText(QString::number(value) + QStringLiteral(" фото"));
        lbPhotoCount->adjustSize();
        lbPhotoCount->show();
    }
}

void TChatPerson::SetVideoCount(int32_t value) {
    m_videoCount = value;
    if (m_fullLayoutBuilt && value > 0) {
        lbVideoCount->setText(QString::number(value) + QStringLiteral(" видео"));
        lbVideoCount->adjustSize();
        lbVideoCount->show();
    }
}

void TChatPerson::SetIntim(bool value) {
    m_intim = value;
    if (m_fullLayoutBuilt) {
        lbIntim->setVisible(value);
        setTextColour(lbPersonName1, value ? kIntimDark : QColor(Qt::black));
        setTextColour(lbPersonName2, value ? kIntimRed : QColor(Qt::black));
    }
    UpdatePictures();
}

bool TChatPerson::BasketVisible() const { return m_fullLayoutBuilt && m_basketVisible; }

void TChatPerson::SetBasketVisible(bool value) {
    m_basketVisible = value;
    if (!m_fullLayoutBuilt) return;
    imgBasket->setVisible(value);
    LayoutControls();
}

void TChatPerson::SetInfoText(const std::string& value) {
    m_infoText = text::DisplayText(value);
    if (m_fullLayoutBuilt) LayoutControls();
    UpdatePictures();
}

void TChatPerson::SetHasPhoto(bool value) {
    m_hasPhoto = value;
    if (m_fullLayoutBuilt && m_style == TChatPersonStyle::cpFull) ShowPhoto();
}

void TChatPerson::Delete() {
    if (!OnPersonDelete) {
        deleteLater();
        return;
    }
    try {
        OnPersonDelete(*this);
    } catch (...) {
        // The card stays as it is; a failed delete is not reported.
    }
}

void TChatPerson::BuildFullLayout() {
    if (m_fullLayoutBuilt) return;
    pnFullInfo = makePanel(this, "pnFullInfo", Qt::white);
    pnFullInfo->setGeometry(rect());
    QWidget* p = pnFullInfo;
    pnTopBorder = makePanel(p, "pnTopBorder", kBorderGrey);
    pnTop = makePanel(p, "pnTop", kSelectedGreen);
    pnBottomBorder = makePanel(p, "pnBottomBorder", kBorderGrey);
    pnLeftBorder = makePanel(p, "pnLeftBorder", kBorderGrey);
    pnRightBorder = makePanel(p, "pnRightBorder", kBorderGrey);
    imgTopRight = makeImage(p, "imgTopRight", {});
    imgReal = makeImage(p, "imgReal", {}, "Реальный пользователь");
    imgVIP = makeImage(p, "imgVIP", {}, "VIP-пользователь");
    imgVoice = makeImage(p, "imgVoice", {}, "С голосовым приветствием");
    imgBottomRight = makeImage(p, "imgBottomRight", {});
    imgBottomLeft = makeImage(p, "imgBottomLeft", {});
    imgFullInfo = makeImage(p, "imgFullInfo", {});
    imgFullInfo->setAutoFillBackground(true);
    imgFullInfo->SetProportional(true);
    imgShortInfo1 = makeImage(p, "imgShortInfo1", {});
    lbPersonName1 = makeLabel(pnTop, "lbPersonName1", QPoint(3, 3), Qt::black);
    lbPersonName2 = makeLabel(p, "lbPersonName2", QPoint(57, 26), Qt::black);
    lbPersonName2->setWordWrap(true);
    lbPersonName2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lbPhotoCount = makeLabel(p, "lbPhotoCount", QPoint(57, 64), Qt::black);
    lbVideoCount = makeLabel(p, "lbVideoCount", QPoint(120, 64), Qt::black);
    lbIntim = makeLabel(p, "lbIntim", QPoint(57, 77), kIntimRed);
    lbIntim->setText(QStringLiteral("Интим за деньги"));
    lbIntim->adjustSize();
    imgQuestionnaire1 = makeImage(p, "imgQuestionnaire1", {}, kQuestionnaireHint);
    imgBasket = makeImage(p, "imgBasket", {}, "Удалить контакт");
    imgNewMessage1 = makeImage(p, "imgNewMessage1", {}, "Новое сообщение");
    for (QWidget* control : {static_cast<QWidget*>(pnTop), static_cast<QWidget*>(lbPersonName1), static_cast<QWidget*>(imgShortInfo1),
                             static_cast<QWidget*>(imgTopRight)})
        Bind(control, TClick::Person);
    Bind(imgQuestionnaire1, TClick::Questionnaire);
    Bind(imgBasket, TClick::Basket);
    // Counts that were never set stay hidden rather than showing an empty label.
    lbPhotoCount->hide();
    lbVideoCount->hide();
    LayoutControls();

    if (OnFill) {
        try {
            OnFill(*this);
        } catch (...) {
            // The card shows what it already knows.
        }
    }
    m_fullLayoutBuilt = true;
    SetPersonName(m_personName);
    SetPhotoCount(m_photoCount);
    SetVideoCount(m_videoCount);
    SetIntim(m_intim);
    SetLetter(m_letter);
    SetBasketVisible(m_basketVisible);
}

void TChatPerson::LayoutControls() {
    const int w = width();
    const int h = height();
    pnShortInfo->setGeometry(0, 0, w, 20);
    imgQuestionnaire->move(w - 54, 3);
    if (!pnFullInfo) return;
    // The positions of the expanded controls, as their anchors keep them
    // when the card is resized.
    pnFullInfo->setGeometry(0, 0, w, h);
    pnTopBorder->setGeometry(18, 1, w - 26, 1);
    pnTop->setGeometry(18, 3, w - 26, 20);
    pnBottomBorder->setGeometry(8, h - 2, w - 16, 1);
    pnLeftBorder->setGeometry(1, 8, 1, h - 16);
    pnRightBorder->setGeometry(w - 2, 8, 1, h - 16);
    imgTopRight->setGeometry(w - 8, 0, 8, 23);
    imgReal->setGeometry(w - 24, 26, 16, 16);
    imgVIP->setGeometry(w - 42, 26, 16, 16);
    imgVoice->setGeometry(w - 60, 26, 16, 16);
    imgBottomRight->setGeometry(w - 8, h - 8, 8, 8);
    imgBottomLeft->setGeometry(0, h - 8, 8, 8);
    imgFullInfo->setGeometry(6, 26, 46, 62);
    imgShortInfo1->setGeometry(0, 0, 18, 23);
    lbPersonName2->setGeometry(57, 26, w - 100, 52);
    // Cut with "…" (the name first) where the label ends; the whole text in its tool tip.
    const QString info = q(m_infoText);
    // Only the lines above the counts: a third line would run into them.
    const int room = std::min(lbPersonName2->height(), lbPhotoCount->y() - lbPersonName2->y());
    const int lines = room / QFontMetrics(lbPersonName2->font()).lineSpacing();
    const QString fitted = FitInfo(lbPersonName2->font(), info, q(m_personName), lbPersonName2->width(), lines);
    // The lines as the fitting laid them out: the label's own word wrap
    // would run a word longer than a line out of sight.
    lbPersonName2->setText(BreakIntoLines(fitted, lbPersonName2->font(), lbPersonName2->width(), lines));
    lbPersonName2->setToolTip(fitted == info ? QString() : info);
    imgQuestionnaire1->setGeometry(w - (m_basketVisible ? 76 : 56), h - 24, 50, 16);
    imgBasket->setGeometry(w - 24, h - 24, 16, 16);
    imgNewMessage1->setGeometry(18, 95, 19, 14);
}

void TChatPerson::resizeEvent(QResizeEvent*) {
    LayoutControls();
    DrawHeaderLine();
}

QPixmap TChatPerson::SharedBitmap(const char* name) const {
    return m_list ? m_list->SharedBitmap(name) : platform::LoadBitmapResource(name);
}

void TChatPerson::UpdatePictures() {
    const bool full = m_style == TChatPersonStyle::cpFull;
    if (m_fullLayoutBuilt) {
        if (full) {
            load(imgVoice, "VOICE");
            load(imgVIP, "VIP");
            load(imgReal, "REAL");
            load(imgTopRight, "TOPRIGHT");
            load(imgBottomRight, "RIGHTBOTTOM");
            load(imgBottomLeft, "BOTTOMLEFT");
            load(imgQuestionnaire1, "GOTO");
            if (imgFullInfo->Picture().Empty()) ShowPhoto();
            load(imgBasket, "BASKETRED");
            if (!imgNewMessage1->isHidden())
                load(imgNewMessage1, "LETTER");
            else
                release(imgNewMessage1);
        } else {
            for (TImage* image : {imgVoice, imgVIP, imgReal, imgBottomRight, imgBottomLeft, imgQuestionnaire1,
                                  imgFullInfo, imgBasket, imgNewMessage1})
                release(image);
        }
    }
    if (!full && imgQuestionnaire->Picture().Empty()) imgQuestionnaire->CanvasDraw(0, 0, SharedBitmap("GOTO"));
    if (m_style == TChatPersonStyle::cpInsert) return;
    DrawHeaderLine();
    if (m_fullLayoutBuilt && !imgShortInfo1->isHidden()) {
        const char* corner = m_state == TPersonState::psAbsent ? "TOPLEFTABSENT" : "TOPLEFTCONNECTED";
        if (m_cornerDrawn != corner) {
            m_cornerDrawn = corner;
            imgShortInfo1->CanvasClear();
            imgShortInfo1->CanvasDraw(0, 0, SharedBitmap(corner));
        }
    }
}

void TChatPerson::DrawHeaderLine() {
    if (imgShortInfo->isHidden()) return;
    const bool selected = m_style == TChatPersonStyle::cpSelected;
    const char* mark = m_state == TPersonState::psAbsent ? (selected ? "ABSENTSELECTED" : "ABSENT")
                                                          : (selected ? "CONNECTEDSELECTED" : "CONNECTED");
    const bool letter = m_letter && m_style != TChatPersonStyle::cpFull;
    const std::string drawn =
        std::string(mark) + (letter ? "+L" : "") + (m_intim ? "+I|" : "|") + std::to_string(width()) + "|" +
        m_infoText;
    if (drawn == m_headerDrawn) return;
    m_headerDrawn = drawn;
    imgShortInfo->CanvasClear();
    imgShortInfo->CanvasDraw(1, 2, SharedBitmap(mark));
    if (letter) imgShortInfo->CanvasDraw(7, 1, SharedBitmap("LETTERSHORT"));
    // Up to the questionnaire button at the card's right end.
    const int room = std::min(imgShortInfo->width(), width() - 58) - 20;
    imgShortInfo->CanvasTextOut(20, 2, FitText(imgShortInfo->font(), q(m_infoText), room, 1),
                                m_intim ? kIntimRed : QColor(Qt::black));
}

void TChatPerson::SetPhotoFailure(const std::string& cause) {
    m_photoFailure = cause;
    if (m_fullLayoutBuilt && m_style == TChatPersonStyle::cpFull) ShowPhoto();
}

void TChatPerson::ShowPhoto() {
    const bool failed = m_photo.Empty() && !m_photoFailure.empty();
    if (!m_photo.Empty())
        imgFullInfo->SetPicture(m_photo);
    else
        imgFullInfo->SetPicture(platform::LoadBitmapResource(failed ? "PHOTOFAILED" : "NOPHOTO"));
    imgFullInfo->setToolTip(failed ? q("Фото не загружено: " + m_photoFailure) : QString());
}

void TChatPerson::Bind(QWidget* control, TClick click) {
    control->setProperty("chatPersonClick", static_cast<int>(click));
    control->installEventFilter(this);
}

bool TChatPerson::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonRelease) return QWidget::eventFilter(watched, event);
    auto* mouse = static_cast<QMouseEvent*>(event);
    auto* control = qobject_cast<QWidget*>(watched);
    const QVariant click = watched->property("chatPersonClick");
    if (!control || !click.isValid() || mouse->button() != Qt::LeftButton ||
        !control->rect().contains(mouse->position().toPoint()))
        return QWidget::eventFilter(watched, event);
    Click(static_cast<TClick>(click.toInt()));
    return true;
}

void TChatPerson::Click(TClick click) {
    // Nothing may leave an event handler: errors of the basket's handler are
    // dropped, others are shown as the application shows any failure.
    try {
        switch (click) {
        case TClick::Person:
            if (OnPersonClick) OnPersonClick(*this);
            break;
        case TClick::Questionnaire:
            if (OnQuestionnaire) OnQuestionnaire(*this);
            break;
        case TClick::Basket:
            try {
                if (OnBasket) OnBasket(*this);
            } catch (...) {
            }
            break;
        }
    } catch (const std::exception& error) {
        platform::ShowInfoMessage(error.what());
    } catch (...) {
    }
}

} // namespace app
