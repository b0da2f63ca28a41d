#include "app/controls/TChatPersonList.h"

#include "app/controls/TChatPerson.h"
#include "data/TXMLTable.h"
#include "platform/BitmapResource.h"
#include "platform/FormRegistry.h"
#include "platform/MessageRoutines.h"
#include "platform/TPanel.h"
#include "platform/Text.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <charconv>

namespace app {
namespace {

const QString kScrollBarStyle = QStringLiteral(
    "QScrollBar:vertical { background: palette(window); width: 14px; margin: 0; }"
    "QScrollBar::handle:vertical { background: palette(mid); min-height: 24px; margin: 2px 3px;"
    " border-radius: 4px; }"
    "QScrollBar::handle:vertical:hover, QScrollBar::handle:vertical:pressed { background: palette(dark); }"
    "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
    "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }");

// A record's mark: set unless empty or "0".
bool isSet(const std::string& value) { return !value.empty() && value != "0"; }

// A record's count; a text that is no number counts as none.
int32_t countOf(const std::string& value) {
    int32_t result = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), result);
    return error == std::errc() && end == value.data() + value.size() ? result : 0;
}

// A card's text: the name, then the age and the area. A name too long to
// leave them room in what a card shows is cut with "…" instead of them.
std::string InfoText(const std::string& name, const std::string& tail) {
    const auto codePoints = [](std::string_view s) {
        return size_t(std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xC0) != 0x80; }));
    };
    const size_t room = text::kDisplayCodePoints - std::min(text::kDisplayCodePoints - 1, codePoints(tail)) - 1;
    const std::string_view kept = text::TakeCodePoints(name, room);
    return (kept.size() < name.size() ? std::string(kept) + "…" : name) + tail;
}

void makeWhite(QWidget* widget) {
    widget->setAutoFillBackground(true);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, Qt::white);
    widget->setPalette(palette);
}

// A 20-pixel strip holding one page button at its left.
platform::TPanel* pageStrip(QWidget* parent, const char* name, QPushButton*& button, const char* buttonName,
                            const char* caption) {
    auto* strip = new platform::TPanel(parent);
    strip->setObjectName(name);
    strip->setFixedHeight(20);
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(0, 0, 0, 0);
    button = new QPushButton(QString::fromUtf8(caption), strip);
    button->setObjectName(buttonName);
    button->setFixedHeight(20);
    button->setEnabled(false);
    row->addWidget(button);
    row->addStretch();
    strip->hide();
    return strip;
}

} // namespace

void RegisterChatPersonListForms() { platform::RegisterFormClass<TChatPersonList>("TChatPersonList"); }

TChatPersonList::TChatPersonList(QWidget* owner) : TForm(owner) {
    setObjectName("ChatPersonList");
    makeWhite(this);
    // The cards scroll inside the form.
    SetAutoScroll(true);
    for (size_t i = 0; i < SharedBitmapNames.size(); ++i)
        m_sharedBitmaps[i] = platform::LoadBitmapResource(SharedBitmapNames[i]);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    sbxPersons = new QScrollArea(this);
    sbxPersons->setObjectName("sbxPersons");
    sbxPersons->setFrameShape(QFrame::NoFrame);
    sbxPersons->setWidgetResizable(true);
    sbxPersons->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    outer->addWidget(sbxPersons);

    auto* content = new QWidget;
    makeWhite(content);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    pnPriv = pageStrip(content, "pnPriv", btnPriv, "btnPriv", "Предыдущие 50 контактов");
    pnPersonList = new platform::TPanel(content);
    pnPersonList->setObjectName("pnPersonList");
    pnPersonList->setFixedHeight(0);
    pnPersonList->installEventFilter(this);
    pnNext = pageStrip(content, "pnNext", btnNext, "btnNext", "Следующие 50 контактов");
    column->addWidget(pnPriv);
    column->addWidget(pnPersonList);
    column->addWidget(pnNext);
    column->addStretch();
    sbxPersons->setWidget(content);
    // An arrow key moves the list by one card's header.
    sbxPersons->verticalScrollBar()->setSingleStep(20);
    // The style's light thumb on a darker track vanishes against the white
    // cards, and the track passes for the thumb: a user then sees the bar
    // move against the list. The thumb is drawn dark on a light track here.
    sbxPersons->verticalScrollBar()->setStyleSheet(kScrollBarStyle);

    connect(btnPriv, &QPushButton::clicked, this, [this] { PageButton(&TChatPersonList::btnPrivClick); });
    connect(btnNext, &QPushButton::clicked, this, [this] { PageButton(&TChatPersonList::btnNextClick); });
}

TChatPersonList::~TChatPersonList() = default;

QPixmap TChatPersonList::SharedBitmap(std::string_view name) const {
    const auto found = std::find(SharedBitmapNames.begin(), SharedBitmapNames.end(), name);
    return found == SharedBitmapNames.end() ? QPixmap() : m_sharedBitmaps[found - SharedBitmapNames.begin()];
}

void TChatPersonList::Refresh() {
    if (OnRefresh) OnRefresh(*this);
}

void TChatPersonList::ClearPersons() {
    for (TChatPerson* card : m_cards) {
        card->hide();
        card->deleteLater();
    }
    m_cards.clear();
    Refresh();
}

int TChatPersonList::FindRecordByURL(const TChatPerson& card) const {
    if (!m_friend) return -1;
    const int count = m_friend->RecordCount();
    for (int i = 0; i < count; ++i)
        if (data::TXMLTable::NodeText(m_friend->RecordNode(i), "URL") == card.URL()) return i;
    return -1;
}

void TChatPersonList::ShowPage(int selectedIndex) {
    m_selectedIndex = selectedIndex;
    if (!m_friend) {
        Refresh();
        return;
    }
    m_friend->Open();
    pnPriv->hide();
    pnPersonList->hide();
    pnNext->hide();
    ClearPersons();
    m_friend->First();
    const int count = m_friend->RecordCount();
    // A table that shrank under the page shown: back to the first page
    // rather than an empty one with no button back.
    if (m_pageStart > 0 && m_pageStart > count - 1) {
        m_pageStart = 0;
        m_pageEnd = PageSize - 1;
    }
    const int last = count <= PageSize ? count - 1 : std::min(m_pageEnd, count - 1);
    if (count > 0) m_friend->SetRecNo(m_pageStart + 1);

    const int width = pnPersonList->width() - 2;
    int slot = 0;
    int extra = 0;
    for (int i = m_pageStart; i <= last; ++i, ++slot) {
        // A record without a name keeps its slot empty.
        TChatPerson* card = AddCard(i);
        if (!card) continue;
        card->setGeometry(0, slot * 20 + extra, width, card->height());
        if (i == selectedIndex) {
            card->SetChatPersonStyle(TChatPersonStyle::cpFull);
            extra += card->height() - 20;
        }
    }
    pnPersonList->setFixedHeight(std::max(0, slot * 20 + extra));

    if (count <= PageSize) {
        pnPersonList->show();
    } else {
        pnPriv->show();
        pnPersonList->show();
        pnNext->show();
        btnPriv->setEnabled(m_pageStart > 0);
        btnNext->setEnabled(count - 1 > m_pageEnd);
    }
    Refresh();
}

TChatPerson* TChatPersonList::AddCard(int index) {
    const pugi::xml_node record = m_friend->RecordNode(index);
    // A card shows its texts cut for display; the record keeps them whole.
    const std::string name = data::TXMLTable::NodeDisplayText(record, "Name");
    if (name.empty()) return nullptr;
    auto* card = new TChatPerson(pnPersonList, this);
    m_cards.push_back(card);
    card->SetRecordNo(index + 1);
    card->OnPersonClick = [this](TChatPerson& c) { PersonClick(c); };
    card->OnQuestionnaire = [this](TChatPerson& c) {
        if (OnQuestionnaireClick) OnQuestionnaireClick(c);
    };
    card->OnBasket = [this](TChatPerson& c) { PersonDeleteClick(c); };
    card->OnPersonDelete = [this](TChatPerson& c) { PersonDeleteClick(c); };
    card->OnFill = [this](TChatPerson& c) { FillPersonFromRecord(c); };
    card->SetPersonName(name);
    std::string tail;
    const std::string age = data::TXMLTable::NodeText(record, "Age");
    if (isSet(age)) tail += ", " + age;
    const std::string area = data::TXMLTable::NodeDisplayText(record, "Area");
    if (!area.empty()) tail += ", " + area;
    card->SetInfoText(InfoText(name, tail));
    card->SetURL(data::TXMLTable::NodeText(record, "URL"));
    card->SetIntim(isSet(data::TXMLTable::NodeText(record, "Intim")));
    card->SetChatPersonStyle(TChatPersonStyle::cpInsert);
    card->SetChatPersonStyle(TChatPersonStyle::cpShort);
    card->resize(pnPersonList->width() - 2, card->height());
    card->SetBasketVisible(m_basketVisible);
    // A focused card's arrow and page keys scroll the list.
    card->installEventFilter(this);
    card->show();
    return card;
}

void TChatPersonList::FillPageAfterDeletion(int deleted) {
    const int count = m_friend->RecordCount();
    // The page's last card went, or the records before the page moved:
    // the page is built again (the first page when the table no longer
    // reaches it).
    if ((m_cards.empty() && count > 0) || (deleted >= 0 && deleted < m_pageStart)) {
        ShowPage(m_selectedIndex);
        return;
    }
    // The cards shown stay as they are (an expanded one, a photo on its
    // way); the first record of the next page moves up into the page's end.
    if (deleted >= 0 && deleted <= m_pageEnd) {
        for (TChatPerson* other : m_cards)
            if (other->RecordNo() > deleted + 1) other->SetRecordNo(other->RecordNo() - 1);
        if (m_pageEnd < count) AddCard(m_pageEnd);
    }
    btnNext->setEnabled(count - 1 > m_pageEnd);
    if (count <= PageSize && m_pageStart == 0) {
        pnPriv->hide();
        pnNext->hide();
    }
    LayoutCards();
}

void TChatPersonList::FillPersonFromRecord(TChatPerson& card) {
    if (!m_friend) return;
    const int index = card.RecordNo() - 1;
    if (index < 0 || index >= m_friend->RecordCount()) return;
    if (m_friend->Active()) m_friend->SetRecNo(card.RecordNo());
    const pugi::xml_node record = m_friend->RecordNode(index);
    const auto field = [&record](const char* name) { return data::TXMLTable::NodeText(record, name); };
    card.SetVIP(isSet(field("VipUser")));
    card.SetReal(isSet(field("RealUser")));
    card.SetPhotoCount(countOf(field("PhotoCount")));
    card.SetVideoCount(countOf(field("VideoCount")));
    card.SetIntim(isSet(field("Intim")));
    card.SetLetter(field("NewMessage") == "1");
}

void TChatPersonList::LayoutCards() {
    const int width = pnPersonList->width() - 2;
    int top = 0;
    for (TChatPerson* card : m_cards) {
        card->setGeometry(0, top, width, card->height());
        top += card->height();
    }
    pnPersonList->setFixedHeight(top);
}

void TChatPersonList::PersonClick(TChatPerson& card) {
    if (OnBeginPersonClick) OnBeginPersonClick(card);
    const bool collapse = card.ChatPersonStyle() == TChatPersonStyle::cpFull;
    for (TChatPerson* other : m_cards)
        other->SetChatPersonStyle(other == &card && !collapse ? TChatPersonStyle::cpFull : TChatPersonStyle::cpShort);
    LayoutCards();
    card.setFocus();
    if (OnLoadPersonPhoto) OnLoadPersonPhoto(card);
    if (OnEndPersonClick) OnEndPersonClick(card);
}

void TChatPersonList::PersonDeleteClick(TChatPerson& card) {
    if (OnBeginPersonClick) OnBeginPersonClick(card);
    const std::string question = "Удалить контакт \"" + card.PersonName() + "\"?";
    if (platform::MessageDlgEx(question) == platform::mrYes) {
        try {
            int index = -1;
            if (m_friend) {
                // The card's own record when it still holds the card's address,
                // so that of two records with one address the one shown goes.
                const int own = card.RecordNo() - 1;
                if (own >= 0 && own < m_friend->RecordCount() &&
                    data::TXMLTable::NodeText(m_friend->RecordNode(own), "URL") == card.URL())
                    index = own;
                else
                    index = FindRecordByURL(card);
                if (index >= 0) m_friend->DeleteNode(index);
            }
            const auto found = std::find(m_cards.begin(), m_cards.end(), &card);
            if (found != m_cards.end()) {
                m_cards.erase(found);
                // Collapsed, so that nobody keeps it as the expanded card.
                card.SetChatPersonStyle(TChatPersonStyle::cpShort);
                card.hide();
                card.deleteLater();
            }
            if (index >= 0) {
                if (m_selectedIndex == index)
                    m_selectedIndex = -1;
                else if (m_selectedIndex > index)
                    --m_selectedIndex;
            }
            if (m_friend && OnSaveChanges) OnSaveChanges(*m_friend);
            if (m_friend) FillPageAfterDeletion(index);
        } catch (const std::exception& error) {
            // A record that could not be removed or saved must not pass for
            // deleted.
            platform::ShowInfoMessage(error.what());
        } catch (...) {
        }
    }
    if (OnEndPersonClick) OnEndPersonClick(card);
    Refresh();
}

void TChatPersonList::btnPrivClick() {
    if (m_pageStart <= 0) return;
    m_pageStart -= PageSize;
    m_pageEnd -= PageSize;
    btnNext->setEnabled(true);
    if (m_pageStart < 1) m_pageStart = 0;
    ShowPage(m_selectedIndex);
    btnPriv->setEnabled(m_pageStart > 0);
    ScrollToTop();
}

void TChatPersonList::btnNextClick() {
    const int count = m_friend ? m_friend->RecordCount() : 0;
    if (count - 1 <= m_pageEnd) return;
    m_pageStart += PageSize;
    m_pageEnd += PageSize;
    btnPriv->setEnabled(true);
    ShowPage(m_selectedIndex);
    btnNext->setEnabled(count - 1 > m_pageEnd);
    ScrollToTop();
}

// A page reached by its button is read from its first card, wherever the
// button that led there stood.
void TChatPersonList::ScrollToTop() {
    sbxPersons->verticalScrollBar()->setValue(0);
}

void TChatPersonList::PageButton(void (TChatPersonList::*step)()) {
    try {
        (this->*step)();
    } catch (const std::exception& error) {
        platform::ShowInfoMessage(error.what());
    } catch (...) {
    }
}

bool TChatPersonList::ScrollByKey(int key) {
    QScrollBar* bar = sbxPersons->verticalScrollBar();
    switch (key) {
    case Qt::Key_Up: bar->triggerAction(QAbstractSlider::SliderSingleStepSub); return true;
    case Qt::Key_Down: bar->triggerAction(QAbstractSlider::SliderSingleStepAdd); return true;
    case Qt::Key_PageUp: bar->triggerAction(QAbstractSlider::SliderPageStepSub); return true;
    case Qt::Key_PageDown: bar->triggerAction(QAbstractSlider::SliderPageStepAdd); return true;
    case Qt::Key_Home: bar->triggerAction(QAbstractSlider::SliderToMinimum); return true;
    case Qt::Key_End: bar->triggerAction(QAbstractSlider::SliderToMaximum); return true;
    default: return false;
    }
}

bool TChatPersonList::eventFilter(QObject* watched, QEvent* event) {
    if (watched == pnPersonList && event->type() == QEvent::Resize) {
        const int width = pnPersonList->width() - 2;
        for (TChatPerson* card : m_cards) card->resize(width, card->height());
    }
    if (event->type() == QEvent::KeyPress && watched != pnPersonList) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier && ScrollByKey(key->key())) return true;
    }
    return TForm::eventFilter(watched, event);
}

} // namespace app
