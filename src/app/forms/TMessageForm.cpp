// The standard box is laid out by hand, as a fixed-size form: icon top left,
// message beside it, the buttons centred in a row below both. The dialogs
// built on it move the parts by pixel arithmetic, so no layout manager may
// move them back.
#include "app/forms/TMessageForm.h"

#include "app/controls/TextLines.h"
#include "app/forms/MessageDialogTables.h"
#include "app/forms/WindowPlacement.h"
#include "platform/QtText.h"
#include "platform/Text.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <algorithm>

namespace app {

using namespace platform;

namespace {

constexpr int kHorzMargin = 12;
constexpr int kVertMargin = 13;
constexpr int kHorzSpacing = 15;
// Keeps the buttons clear of a label that the dialogs move down to top 20.
constexpr int kVertSpacing = 16;
constexpr int kIconSize = 32;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kButtonSpacing = 6;
// Without a screen, a box is laid out for one of this size.
constexpr int kFallbackScreenWidth = 800;
constexpr int kFallbackScreenHeight = 600;
// Height a box needs besides its message: the margins, the buttons, the
// label moved down to top 20 by the dialogs, and the window's title bar.
constexpr int kBoxRoom = 2 * kVertMargin + kVertSpacing + kButtonHeight + 7 + 40;

QString typeCaption(TMsgDlgType type) {
    switch (type) {
    case TMsgDlgType::mtWarning: return QStringLiteral("Warning");
    case TMsgDlgType::mtError: return QStringLiteral("Error");
    case TMsgDlgType::mtInformation: return QStringLiteral("Information");
    case TMsgDlgType::mtConfirmation: return QStringLiteral("Confirmation");
    case TMsgDlgType::mtCustom: break;
    }
    return ApplicationTitle();
}

// The style's icon for the type; mtCustom has none.
QPixmap typeIcon(TMsgDlgType type, const QStyle& style) {
    QStyle::StandardPixmap icon{};
    switch (type) {
    case TMsgDlgType::mtWarning: icon = QStyle::SP_MessageBoxWarning; break;
    case TMsgDlgType::mtError: icon = QStyle::SP_MessageBoxCritical; break;
    case TMsgDlgType::mtInformation: icon = QStyle::SP_MessageBoxInformation; break;
    case TMsgDlgType::mtConfirmation: icon = QStyle::SP_MessageBoxQuestion; break;
    case TMsgDlgType::mtCustom: return {};
    }
    return style.standardIcon(icon).pixmap(kIconSize, kIconSize);
}

// The available area of the screen a box opens on: that of the main
// window, which it is centred over, or of the window in front.
QRect boxScreenArea() {
    const QWidget* over = ShownMainWindow();
    if (!over) over = QApplication::activeWindow();
    if (over) return AvailableScreenArea(*over);
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, kFallbackScreenWidth, kFallbackScreenHeight);
}

// Lines of `font` that `height` pixels hold.
int LinesIn(const QFont& font, int height) { return height / std::max(1, QFontMetrics(font).lineSpacing()); }

} // namespace

TMessageForm::TMessageForm(QWidget* parent) : QDialog(parent) {}

std::vector<TButton*> TMessageForm::Buttons() const {
    const auto found = findChildren<TButton*>(Qt::FindDirectChildrenOnly);
    return {found.begin(), found.end()};
}

QLabel* TMessageForm::MessageLabel() const {
    const auto labels = findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
    return labels.isEmpty() ? nullptr : labels.last();
}

void TMessageForm::reject() {
    // A box with one button has one answer, whatever key closes it.
    if (const std::vector<TButton*> buttons = Buttons(); buttons.size() == 1 && buttons.front()->isEnabled()) {
        done(buttons.front()->ModalResult());
        return;
    }
    // A Cancel button wins over a No button that also answers Escape.
    TButton* chosen = nullptr;
    for (TButton* button : Buttons()) {
        if (!button->IsCancel() || !button->isEnabled() || button->ModalResult() == mrNone) continue;
        if (!chosen || (button->ModalResult() == mrCancel && chosen->ModalResult() != mrCancel)) chosen = button;
    }
    done(chosen ? chosen->ModalResult() : mrCancel);
}

void TMessageForm::SetMessageFont(const QFont& font) {
    QLabel* label = MessageLabel();
    if (!label) return;
    label->setFont(font);
    label->setText(BreakIntoLines(m_message, font, m_lineWidth, LinesIn(font, m_textHeight)));
    label->adjustSize();
    const std::vector<TButton*> buttons = Buttons();
    if (buttons.empty()) return;
    const int below = label->geometry().bottom() + 1 + kVertSpacing - buttons.front()->y();
    if (below <= 0) return;
    for (TButton* button : buttons) button->move(button->x(), button->y() + below);
    setFixedHeight(height() + below);
}

void TMessageForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_focusOnShow) m_focusOnShow->setFocus();
}

QString ApplicationTitle() { return QGuiApplication::applicationDisplayName(); }

std::unique_ptr<TMessageForm> CreateMessageDialog(const std::string& msg, TMsgDlgType type,
                                                  TMsgDlgButtons buttons) {
    auto form = std::make_unique<TMessageForm>();
    form->setWindowTitle(typeCaption(type));
    const QFontMetrics metrics(form->font());

    // The icon comes before the label, so that the label is the last one.
    const QPixmap icon = typeIcon(type, *form->style());
    const int iconWidth = icon.isNull() ? 0 : kIconSize;
    if (!icon.isNull()) {
        auto* image = new QLabel(form.get());
        image->setObjectName(QStringLiteral("Image"));
        image->setPixmap(icon);
        image->setGeometry(kHorzMargin, kVertMargin, kIconSize, kIconSize);
    }

    // A message may name what a page or a file brought (a profile's name,
    // an address): more than a screen of it is cut before it is laid out.
    constexpr size_t kMessageCodePoints = 4 * text::kDisplayCodePoints;
    const std::string_view shown = text::TakeCodePoints(msg, kMessageCodePoints);
    form->m_message = platform::ToQString(shown) + (shown.size() < msg.size() ? QStringLiteral("…") : QString());
    const QRect screen = boxScreenArea();
    form->m_lineWidth = std::max(screen.width(), kIconSize) / 2;
    form->m_textHeight = std::max(screen.height() - kBoxRoom, 0);
    const QString text =
        BreakIntoLines(form->m_message, form->font(), form->m_lineWidth, LinesIn(form->font(), form->m_textHeight));
    const QRect textRect = metrics.boundingRect(QRect(0, 0, form->m_lineWidth, 0), Qt::AlignLeft, text);
    auto* label = new QLabel(form.get());
    label->setObjectName(QStringLiteral("Message"));
    label->setTextFormat(Qt::PlainText);
    // Broken into lines already: the label must not break them again.
    label->setWordWrap(false);
    label->setText(text);
    const int textLeft = kHorzMargin + (iconWidth ? iconWidth + kHorzSpacing : 0);
    label->setGeometry(textLeft, kVertMargin, textRect.width(), textRect.height());

    std::vector<TButton*> made;
    TButton* named = nullptr;
    int buttonWidth = kButtonWidth;
    for (int i = 0; i < kMsgDlgBtnCount; ++i) {
        if (!buttons.Contains(static_cast<TMsgDlgBtn>(i))) continue;
        const TMsgDlgButtonInfo& info = kMsgDlgButtonInfos[i];
        auto* button = new TButton(form.get());
        button->setObjectName(platform::ToQString(info.Name));
        button->SetCaption(std::string(info.Caption));
        button->SetModalResult(info.ModalResult);
        button->SetCancel(info.ModalResult == mrCancel);
        buttonWidth = std::max(buttonWidth, metrics.horizontalAdvance(button->text()) + 2 * kHorzMargin);
        made.push_back(button);
        if (buttons.HasDefault() && buttons.Default() == static_cast<TMsgDlgBtn>(i)) named = button;
    }
    // The first of OK and Yes takes Enter, as the form's active control,
    // unless the caller named another; it has the focus too, so that Enter
    // never presses the focused button instead.
    for (TButton* button : made)
        if (!named && (button->ModalResult() == mrOk || button->ModalResult() == mrYes)) named = button;
    if (named) {
        named->setDefault(true);
        if (buttons.HasDefault()) form->SetFocusOnShow(named);
    }

    const int n = int(made.size());
    const int rowWidth = n ? n * buttonWidth + (n - 1) * kButtonSpacing : 0;
    const int width = std::max(textLeft - kHorzMargin + textRect.width(), rowWidth) + 2 * kHorzMargin;
    const int buttonTop = kVertMargin + std::max(iconWidth, textRect.height()) + kVertSpacing;
    int left = (width - rowWidth) / 2;
    for (TButton* button : made) {
        button->setGeometry(left, buttonTop, buttonWidth, kButtonHeight);
        left += buttonWidth + kButtonSpacing;
    }
    form->setFixedSize(width, buttonTop + kButtonHeight + kVertMargin);
    return form;
}

int ShowModalAndFree(std::unique_ptr<TMessageForm> form) {
    // Owned by the window in front, the box is kept above it by the window
    // manager; it stands over the main window (over the window in front
    // when the main window is not shown).
    if (QWidget* front = QApplication::activeWindow(); front && front != form.get())
        form->setParent(front, form->windowFlags());
    if (const QWidget* over = ShownMainWindow() ? ShownMainWindow() : form->parentWidget())
        CentreOver(*form, *over);
    else
        CentreOnScreen(*form);
    const QPointer<TMessageForm> box(form.release());
    const int result = box->exec();
    delete box.data();
    return result;
}

} // namespace app
