// The conditions form: its pages and buttons, and the list of found profiles.
#include "app/forms/TfrmConditions.h"

#include "app/controls/TCheckedTreeNode.h"
#include "app/forms/FormGuards.h"
#include "app/forms/WebAddress.h"
#include "data/TdmFriend.h"
#include "platform/FormRegistry.h"
#include "platform/MessageRoutines.h"
#include "platform/QtText.h"
#include "platform/TActionList.h"
#include "search/CarCatalogue.h"
#include "search/TVelmora.h"
#include "web/TSubmit.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace app {
namespace {

using platform::ToQString;

// Found rows on the form's colours: new ones light green, the rest white; a
// selected row keeps the selection colour. The text starts 2 pixels in.
class TLoadedRowDelegate : public QStyledItemDelegate {
public:
    explicit TLoadedRowDelegate(TfrmConditions& form) : QStyledItemDelegate(&form), m_form(form) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        painter->fillRect(option.rect,
                          selected ? option.palette.brush(QPalette::Highlight) : QBrush(m_form.LoadedRowColor(index.row())));
        painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(option.rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                          index.data(Qt::DisplayRole).toString());
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        // 13 pixels a row, or the font's height where that is taller.
        return {QStyledItemDelegate::sizeHint(option, index).width(), std::max(13, option.fontMetrics.height())};
    }

private:
    TfrmConditions& m_form;
};

// A node's check box drawn 1 pixel after the indentation, where a click on
// it is taken (see tvSearchMouseDown), and its caption 4 pixels after that.
class TConditionNodeDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        constexpr int iconSize = TCheckedTreeNode::CheckIconSize;
        const QRect rect = option.rect;
        const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
        icon.paint(painter, QRect(rect.left() + 1, rect.top() + (rect.height() - iconSize) / 2, iconSize, iconSize));
        const QString text = index.data(Qt::DisplayRole).toString();
        QRect textRect = rect.adjusted(iconSize + 5, 0, 0, 0);
        textRect.setWidth(option.fontMetrics.horizontalAdvance(text) + 4);
        const bool selected = option.state & QStyle::State_Selected;
        if (selected) painter->fillRect(textRect, option.palette.brush(QPalette::Highlight));
        painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(textRect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QString text = index.data(Qt::DisplayRole).toString();
        return {TCheckedTreeNode::CheckIconSize + 11 + option.fontMetrics.horizontalAdvance(text),
                std::max(TCheckedTreeNode::CheckIconSize + 2, option.fontMetrics.height() + 2)};
    }
};

// Beside the tab bar's own width: the pane's frame and a little air.
constexpr int kTabBarSlack = 8;

// The width a push button needs for its text and picture, without the
// style's minimum width for a button with text.
int TextButtonWidth(const QPushButton& button) {
    const QSize text = button.fontMetrics().size(Qt::TextShowMnemonic, button.text());
    int width = text.width();
    if (!button.icon().isNull()) width += button.iconSize().width() + 4;
    QStyleOptionButton option;
    option.initFrom(&button);
    return button.style()->sizeFromContents(QStyle::CT_PushButton, &option, QSize(width, text.height()), &button).width();
}

QPushButton* Button(QWidget* parent, const char* name, const QString& caption, const QString& hint = {}) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setToolTip(hint);
    parent->layout()->addWidget(button);
    return button;
}

QTreeWidget* ConditionTree(QWidget* page, const char* name) {
    auto* tree = new QTreeWidget(page);
    tree->setObjectName(name);
    tree->setHeaderHidden(true);
    tree->setIndentation(19);
    tree->setIconSize({TCheckedTreeNode::CheckIconSize, TCheckedTreeNode::CheckIconSize});
    tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree->setRootIsDecorated(true);
    tree->setUniformRowHeights(true);
    tree->setItemDelegate(new TConditionNodeDelegate(tree));
    // Long captions widen the column and bring a horizontal scroll bar.
    tree->header()->setStretchLastSection(false);
    tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tree);
    return tree;
}

} // namespace

void RegisterConditionsForms() { platform::RegisterFormClass<TfrmConditions>("TfrmConditions"); }

TfrmConditions::TfrmConditions(QWidget* owner) : platform::TForm(owner), m_carFallbackHost(search::CarCatalogueFallbackHost) {
    BuildForm();
    // The main window's search actions, when it is there to lend them.
    QWidget* main = nullptr;
    for (QWidget* w = owner; w && !main; w = w->parentWidget())
        if (w->objectName() == "frmMain") main = w;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (!main && top->objectName() == "frmMain") main = top;
    if (main)
        if (QObject* actionList = main->findChild<QObject*>("ActionList")) BindSearchActions(actionList);
    BuildTree(tvSearch);
    m_searchTreeBuilt = true;
}

TfrmConditions::~TfrmConditions() = default;

void TfrmConditions::BuildForm() {
    setObjectName("frmConditions");
    resize(686, 385);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    pcLeft = new QTabWidget(this);
    pcLeft->setObjectName("pcLeft");
    tsSearch = new QWidget;
    tsSearch->setObjectName("tsSearch");
    tsExSearch = new QWidget;
    tsExSearch->setObjectName("tsExSearch");
    tsLoadedFriends = new QWidget;
    tsLoadedFriends->setObjectName("tsLoadedFriends");
    pcLeft->addTab(tsSearch, "Простой поиск");
    pcLeft->addTab(tsExSearch, "Расширенный поиск");
    pcLeft->addTab(tsLoadedFriends, "Найденные");
    tvSearch = ConditionTree(tsSearch, "tvSearch");
    tvExSearch = ConditionTree(tsExSearch, "tvExSearch");
    for (QTreeWidget* tree : {tvSearch, tvExSearch}) {
        tree->viewport()->installEventFilter(this);
        tree->installEventFilter(this); // Space
    }
    connect(tvExSearch, &QTreeWidget::itemExpanded, this, &TfrmConditions::tvExSearchExpanding);

    lbxLoad = new QListWidget(tsLoadedFriends);
    lbxLoad->setObjectName("lbxLoad");
    lbxLoad->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lbxLoad->setUniformItemSizes(true);
    lbxLoad->setItemDelegate(new TLoadedRowDelegate(*this));
    auto* listLayout = new QVBoxLayout(tsLoadedFriends);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->addWidget(lbxLoad);
    layout->addWidget(pcLeft, 1);

    pnButtonsLeft = new QWidget(this);
    pnButtonsLeft->setObjectName("pnButtonsLeft");
    new QHBoxLayout(pnButtonsLeft);
    pnButtonsLeft->layout()->setContentsMargins(2, 2, 2, 2);
    btnStart = Button(pnButtonsLeft, "btnStart", "Старт");
    btnStop = Button(pnButtonsLeft, "btnStop", "Стоп");
    btnSuspend = Button(pnButtonsLeft, "btnSuspend", "Пауза");
    btnResume = Button(pnButtonsLeft, "btnResume", "Продолж.");
    layout->addWidget(pnButtonsLeft);

    pnLoadedFriendsButtons = new QWidget(this);
    pnLoadedFriendsButtons->setObjectName("pnLoadedFriendsButtons");
    new QHBoxLayout(pnLoadedFriendsButtons);
    pnLoadedFriendsButtons->layout()->setContentsMargins(2, 2, 2, 2);
    btnShowLoaded = Button(pnLoadedFriendsButtons, "btnShowLoaded", "Открыть", "Открыть анкету");
    btnDelete = Button(pnLoadedFriendsButtons, "btnDelete", "Удалить", "Удалить выбранную анкету");
    btnClear = Button(pnLoadedFriendsButtons, "btnClear", "Очистить", "Удалить все найденные анкеты");
    btnAddToFavorites =
        Button(pnLoadedFriendsButtons, "btnAddToFavorites", ">", "Добавить текущую анкету в избранные");
    btnAddToFavorites->setEnabled(false);
    btnAddAllToFavorites = Button(pnLoadedFriendsButtons, "btnAddAllToFavorites", ">>", "Добавить всех в избранные");
    layout->addWidget(pnLoadedFriendsButtons);
    pnLoadedFriendsButtons->hide();
    // ">" and ">>" need not take the style's width for a word.
    for (QPushButton* button : {btnAddToFavorites, btnAddAllToFavorites}) button->setMinimumWidth(TextButtonWidth(*button));
    // The form is always as wide as its tabs and the wider of its two button
    // rows need, so that showing the found list's row never widens it.
    setMinimumWidth(std::max({pcLeft->tabBar()->sizeHint().width() + kTabBarSlack,
                              pnButtonsLeft->minimumSizeHint().width(),
                              pnLoadedFriendsButtons->minimumSizeHint().width()}));

    connect(pcLeft, &QTabWidget::currentChanged, this, [this] { Guarded([this] { pcLeftChange(); }); });
    connect(btnShowLoaded, &QPushButton::clicked, this, [this] { Guarded([this] { btnShowLoadedClick(); }); });
    connect(lbxLoad, &QListWidget::itemDoubleClicked, this, [this] { Guarded([this] { btnShowLoadedClick(); }); });
    connect(btnDelete, &QPushButton::clicked, this, [this] { Guarded([this] { btnDeleteClick(); }); });
    connect(btnClear, &QPushButton::clicked, this, [this] { Guarded([this] { btnClearClick(); }); });
    connect(btnAddToFavorites, &QPushButton::clicked, this, [this] { Guarded([this] { btnAddToFavoritesClick(); }); });
    connect(btnAddAllToFavorites, &QPushButton::clicked, this,
            [this] { Guarded([this] { btnAddAllToFavoritesClick(); }); });
    connect(lbxLoad, &QListWidget::currentRowChanged, this, [this] { lbxLoadClick(); });
}

void TfrmConditions::BindSearchActions(QObject* actionList) {
    if (!actionList) return;
    const std::pair<QPushButton*, const char*> bindings[] = {{btnStart, "acStartSearch"},
                                                             {btnStop, "acStopSearch"},
                                                             {btnSuspend, "acSuspendSearch"},
                                                             {btnResume, "acResumeSearch"}};
    for (const auto& [button, name] : bindings) {
        QAction* action = actionList->findChild<QAction*>(name);
        if (!action) continue;
        if (button == btnStart) m_acStart = action;
        if (button == btnStop) m_acStop = action;
        platform::LinkButtonToAction(button, action);
    }
}

bool TfrmConditions::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        QTreeWidget* tree = watched == tvSearch->viewport()     ? tvSearch
                            : watched == tvExSearch->viewport() ? tvExSearch
                                                                : nullptr;
        if (tree && mouse->button() == Qt::LeftButton) {
            const QPoint pos = mouse->position().toPoint();
            if (tvSearchMouseDown(tree, pos)) {
                // The check box took the click; the node is selected, nothing more.
                if (QTreeWidgetItem* item = tree->itemAt(pos)) tree->setCurrentItem(item);
                return true;
            }
        }
    }
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space &&
        static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
        // Space ticks or unticks the current node as a click on its box does.
        QTreeWidget* tree = watched == tvSearch ? tvSearch : watched == tvExSearch ? tvExSearch : nullptr;
        if (TCheckedTreeNode* node = tree ? TCheckedTreeNode::From(tree->currentItem()) : nullptr) {
            ToggleNode(tree, node);
            return true;
        }
    }
    return platform::TForm::eventFilter(watched, event);
}

void TfrmConditions::SetFoundBaseline(int32_t value) {
    m_foundBaseline = value;
    lbxLoad->viewport()->update();
}

void TfrmConditions::RebuildActiveTree() {
    m_searchTreeBuilt = false;
    m_exSearchTreeBuilt = false;
    QWidget* page = pcLeft->currentWidget();
    QTreeWidget* tree = page == tsSearch ? tvSearch : page == tsExSearch ? tvExSearch : nullptr;
    if (!tree) return;
    tree->hide();
    BuildTree(tree);
    (tree == tvSearch ? m_searchTreeBuilt : m_exSearchTreeBuilt) = true;
    tree->show();
}

void TfrmConditions::pcLeftChange() {
    QWidget* page = pcLeft->currentWidget();
    if (page == tsSearch || page == tsExSearch) {
        QTreeWidget* tree = page == tsSearch ? tvSearch : tvExSearch;
        bool& built = page == tsSearch ? m_searchTreeBuilt : m_exSearchTreeBuilt;
        if (!built) {
            tree->hide();
            BuildTree(tree);
            built = true;
            tree->show();
        }
        if (m_acStop && !m_acStop->isEnabled() && m_acStart) m_acStart->setEnabled(true);
        pnButtonsLeft->show();
        pnLoadedFriendsButtons->hide();
    } else {
        // No search is started from the found list.
        if (m_acStart && m_acStart->isEnabled()) m_acStart->setEnabled(false);
        pnButtonsLeft->hide();
        pnLoadedFriendsButtons->show();
    }
}

void TfrmConditions::RefreshLoadedList() {
    const bool switched = pcLeft->currentWidget() != tsLoadedFriends;
    pcLeft->setCurrentWidget(tsLoadedFriends); // fires pcLeftChange when the page changes
    FillLoadedList();
    if (!switched) pcLeftChange();
}

void TfrmConditions::FillLoadedList() {
    lbxLoad->clear();
    if (!m_engine) return;
    const data::TFriend& found = m_engine->FoundFriends();
    QStringList rows;
    rows.reserve(found.RecordCount());
    for (int i = 0; i < found.RecordCount(); ++i) {
        const pugi::xml_node record = found.RecordNode(i);
        rows << platform::ToQString(data::TXMLTable::NodeDisplayText(record, "Name") + ", " +
                                    data::TXMLTable::NodeDisplayText(record, "Age") + ", " +
                                    data::TXMLTable::NodeDisplayText(record, "Area"));
    }
    lbxLoad->addItems(rows);
}

void TfrmConditions::LockLoadedButtons(bool locked) {
    btnClear->setEnabled(!locked);
    btnDelete->setEnabled(!locked);
    btnAddAllToFavorites->setEnabled(!locked);
}

QColor TfrmConditions::LoadedRowColor(int row) const {
    if (lbxLoad->count() > m_foundBaseline && row >= m_foundBaseline) return QColor(224, 255, 224);
    return QColor(255, 255, 255);
}

void TfrmConditions::btnShowLoadedClick() {
    const int row = lbxLoad->currentRow();
    if (!m_engine || row < 0) return;
    data::TFriend& found = m_engine->FoundFriends();
    if (row >= found.RecordCount()) return;
    if (found.Active()) found.SetRecNo(row + 1);
    OpenWebAddress(data::TXMLTable::NodeText(found.RecordNode(row), "URL"));
}

void TfrmConditions::SaveFoundFriendsReporting() {
    if (const std::string failure = m_engine->TrySaveFoundFriends(); !failure.empty())
        platform::ShowInfoMessage(failure);
}

// Rows are paired with records by position: a list out of step with the
// table is refreshed rather than used to act on the wrong profiles, and the
// user is told so.
bool TfrmConditions::LoadedListInStep() {
    if (lbxLoad->count() == m_engine->FoundFriends().RecordCount()) return true;
    RefreshLoadedList();
    platform::ShowInfoMessage("Список найденных анкет изменился, пока был на экране, и теперь показан заново. "
                              "Выберите анкеты ещё раз.");
    return false;
}

void TfrmConditions::btnDeleteClick() {
    if (!m_engine || lbxLoad->count() == 0) return;
    if (lbxLoad->selectedItems().isEmpty()) {
        platform::ShowInfoMessage("Выберите в списке анкеты, которые нужно удалить.");
        return;
    }
    data::TFriend& found = m_engine->FoundFriends();
    if (!LoadedListInStep()) return;
    const int remembered = lbxLoad->currentRow();
    int k = 0;
    for (int row = 0; row < lbxLoad->count(); ++row) {
        if (lbxLoad->item(row)->isSelected()) found.DeleteFriend(k);
        else ++k;
    }
    SaveFoundFriendsReporting();
    RefreshLoadedList();
    lbxLoad->setCurrentRow(lbxLoad->count() <= remembered ? 0 : remembered);
    if (OnLoadedChanged) OnLoadedChanged(this);
}

void TfrmConditions::btnClearClick() {
    if (!m_engine) return;
    data::TFriend& found = m_engine->FoundFriends();
    // Profiles the user has not seen are not cleared unseen.
    if (!LoadedListInStep()) return;
    if (found.RecordCount() == 0) return;
    // Enter keeps them: "Да" loses them for good.
    if (platform::ShowMessageQuery("Удалить все найденные анкеты (" + std::to_string(found.RecordCount()) + ")?",
                                   platform::TMsgDlgType::mtConfirmation,
                                   platform::TMsgDlgButtons{platform::TMsgDlgBtn::mbYes, platform::TMsgDlgBtn::mbNo}
                                       .WithDefault(platform::TMsgDlgBtn::mbNo)) != platform::mrYes)
        return;
    lbxLoad->clear();
    found.ClearRecords();
    SaveFoundFriendsReporting();
    RefreshLoadedList();
    if (OnLoadedChanged) OnLoadedChanged(this);
}

void TfrmConditions::btnAddToFavoritesClick() {
    if (!m_engine || lbxLoad->count() == 0) return;
    if (lbxLoad->selectedItems().isEmpty()) {
        platform::ShowInfoMessage("Выберите в списке анкету, которую нужно добавить в избранные.");
        return;
    }
    if (!LoadedListInStep()) return;
    TCursorGuard hourglass;
    data::TFriend& found = m_engine->FoundFriends();
    if (!found.Active()) found.Open();
    for (int row = 0; row < lbxLoad->count() && row < found.RecordCount(); ++row) {
        if (!lbxLoad->item(row)->isSelected()) continue;
        found.SetRecNo(row + 1);
        if (OnAddToFavourites) OnAddToFavourites(lbxLoad);
    }
}

void TfrmConditions::btnAddAllToFavoritesClick() {
    if (!m_engine) return;
    TCursorGuard hourglass;
    if (OnBeforeSaveFavourites) OnBeforeSaveFavourites(this);
    data::TFriend& favourites = data::dmFriend().Friends();
    const int count = favourites.RecordCount();
    m_engine->FoundFriends().MergeByURL(favourites);
    std::string failure;
    try {
        favourites.SaveAppended(count);
    } catch (const std::exception& e) {
        failure = "Найденные анкеты не добавлены в избранные. " + std::string(e.what()) + ".";
    }
    if (OnAfterSaveFavourites) OnAfterSaveFavourites(this);
    if (!failure.empty()) platform::ShowInfoMessage(failure);
}

void TfrmConditions::lbxLoadClick() {
    if (lbxLoad->currentRow() >= 0) btnAddToFavorites->setEnabled(true);
}

} // namespace app
