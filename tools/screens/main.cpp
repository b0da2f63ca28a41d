// screens OUTDIR: starts the program as main.cpp does and walks it through
// every window and page a user meets, saving a picture of the whole screen
// at each stop (OUTDIR/window-NN-name.png). Run by scripts/screenshot.sh in
// a virtual X server, with a temporary settings key that names the local
// site as the server and a temporary data folder holding some favourites.
// It is not part of the program.
#include "app/controls/TChatPerson.h"
#include "app/controls/TChatPersonList.h"
#include "app/controls/TCheckedTreeNode.h"
#include "app/forms/ProgramStart.h"
#include "app/forms/TfrmConditions.h"
#include "app/forms/TfrmFavourites.h"
#include "app/forms/TfrmMain.h"
#include "app/forms/TfrmProxy.h"
#include "app/forms/TfrmSettings.h"
#include "data/TdmFriend.h"
#include "grid/TDBGGridColumns.h"
#include "grid/TMDBGrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// The stops of the walk, run one after another from the event loop. A stop
// that opens a modal box does not return until the box is closed, so the
// stops after it are started before it runs: they take the picture of the
// box and close it from within the box's own event loop.
class Walk : public QObject {
public:
    explicit Walk(QString outDir) : m_outDir(std::move(outDir)) {}

    void Then(std::function<void()> step) { m_steps.push_back({Kind::Plain, std::move(step), {}}); }
    void ThenModal(std::function<void()> step) { m_steps.push_back({Kind::Modal, std::move(step), {}}); }
    void WaitFor(std::function<bool()> done) { m_steps.push_back({Kind::Wait, {}, std::move(done)}); }
    void Shoot(const QString& name) {
        Then([this, name] {
            const QString file = QString("%1/window-%2-%3.png").arg(m_outDir).arg(++m_shots, 2, 10, QChar('0')).arg(name);
            QGuiApplication::primaryScreen()->grabWindow(0).save(file);
            std::printf("wrote %s\n", qPrintable(file));
        });
    }
    // Types `text` into the widget that has the keyboard focus.
    void Type(const QString& text) {
        Then([text] {
            for (const QChar c : text) {
                QWidget* focus = QApplication::focusWidget();
                if (!focus) return;
                QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, c);
                QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, c);
                QApplication::sendEvent(focus, &press);
                QApplication::sendEvent(focus, &release);
            }
        });
    }
    // Escape to the modal box in front.
    void Escape() {
        Then([] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QApplication::sendEvent(box, &press);
            }
        });
    }

    void Start() { QTimer::singleShot(0, this, [this] { Advance(); }); }

private:
    enum class Kind { Plain, Modal, Wait };
    struct Step {
        Kind kind;
        std::function<void()> run;
        std::function<bool()> done;
    };
    static constexpr int SettleMs = 500;
    static constexpr int PollMs = 100;
    static constexpr int WaitLimitMs = 60000;

    void Advance() {
        if (m_next >= m_steps.size()) {
            QApplication::exit(0);
            return;
        }
        const Step step = m_steps[m_next++];
        switch (step.kind) {
        case Kind::Wait:
            if (!step.done()) {
                m_waited += PollMs;
                if (m_waited > WaitLimitMs) {
                    std::fprintf(stderr, "screens: a stop waited too long\n");
                    QApplication::exit(1);
                    return;
                }
                --m_next;
                QTimer::singleShot(PollMs, this, [this] { Advance(); });
                return;
            }
            m_waited = 0;
            QTimer::singleShot(SettleMs, this, [this] { Advance(); });
            return;
        case Kind::Modal:
            QTimer::singleShot(SettleMs, this, [this] { Advance(); });
            step.run();
            return;
        case Kind::Plain:
            step.run();
            QTimer::singleShot(SettleMs, this, [this] { Advance(); });
            return;
        }
    }

    QString m_outDir;
    std::vector<Step> m_steps;
    size_t m_next = 0;
    int m_shots = 0;
    int m_waited = 0;
};

app::TCheckedTreeNode* NodeOfKind(QTreeWidget& tree, int kind) {
    for (QTreeWidgetItemIterator it(&tree); *it; ++it)
        if (auto* node = app::TCheckedTreeNode::From(*it); node && node->Kind() == kind) return node;
    return nullptr;
}

// A click on the card's header, as the mouse gives it.
void ClickCard(app::TChatPerson& card) {
    for (QWidget* part : card.findChildren<QWidget*>()) {
        const QVariant click = part->property("chatPersonClick");
        if (!part->isVisible() || !click.isValid() || click.toInt() != 0) continue;
        const QPointF at = part->rect().center();
        QMouseEvent release(QEvent::MouseButtonRelease, at, part->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(part, &release);
        return;
    }
}

// A click on the check box of the first node of `kind`.
void ClickNode(app::TfrmConditions& form, QTreeWidget& tree, int kind) {
    app::TCheckedTreeNode* node = NodeOfKind(tree, kind);
    if (!node) return;
    tree.scrollToItem(node);
    const QRect rect = tree.visualItemRect(node);
    form.tvSearchMouseDown(&tree, {node->Level() * 19 + 20, rect.center().y()});
}

} // namespace

int main(int argc, char** argv) {
    app::PrepareProcess();
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: screens OUTDIR\n");
        return 2;
    }
    app::PrepareApplication();
    data::TdmFriend dataModule;
    app::TfrmMain window;
    window.show();

    Walk walk(QDir(QString::fromLocal8Bit(argv[1])).absolutePath());
    auto favourites = [&window] { return window.Docking().DockedAs<app::TfrmFavourites>(window.pnForm); };
    auto conditions = [&window] { return window.ConditionsForm(); };

    // The favourites, as the window opens on a later start.
    walk.WaitFor([&] { return favourites() && favourites()->IndicesReady(); });
    walk.Shoot("main-favourites-table");
    walk.Then([&] {
        app::TfrmFavourites* page = favourites();
        page->dbgFavouritesTitleClick(page->dbgFavourites->Columns()[2]);
    });
    walk.Shoot("favourites-sorted-by-area");
    walk.Then([&] {
        app::TfrmFavourites* page = favourites();
        page->pcFavorites->setCurrentWidget(page->tsFavotiteQueues);
        if (app::TChatPersonList* list = page->PersonList(); list && list->Count() > 1) ClickCard(*list->Person(1));
    });
    walk.Shoot("favourites-cards");
    walk.Then([&] {
        // Page Down twice on the card just clicked (a window without a window
        // manager is never active, so the key goes to the card itself).
        app::TChatPersonList* list = favourites()->PersonList();
        for (int i = 0; i < 2 && list && list->Count() > 1; ++i) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
            QApplication::sendEvent(list->Person(1), &press);
        }
    });
    walk.Shoot("favourites-cards-scrolled");
    walk.ThenModal([&] { favourites()->btnDelete->click(); });
    walk.Shoot("delete-question");
    walk.Escape();

    // The settings page and its proxy tab.
    walk.Then([&] { window.acSettings->Execute(); });
    walk.Shoot("settings-search");
    walk.Then([&] {
        app::TfrmSettings* page = window.SettingsForm();
        page->pcSettings->setCurrentWidget(page->tsProxy);
        if (app::TfrmProxy* proxy = page->ProxyPage()) {
            proxy->chbUseProxy->click();
            proxy->chbAuthorization->click();
        }
    });
    walk.Shoot("settings-proxy");

    // The extended tree and the dialogs of its value nodes, each with a
    // value typed straight after it opened.
    walk.Then([&] { conditions()->pcLeft->setCurrentWidget(conditions()->tsExSearch); });
    walk.Shoot("extended-tree");
    const struct {
        int kind;
        const char* name;
        const char* typed;
    } dialogs[] = {{36, "range-dialog", "170"}, {35, "age-dialog", "30"}, {33, "name-dialog", "Анна"}};
    for (const auto& dialog : dialogs) {
        walk.ThenModal([&, kind = dialog.kind] { ClickNode(*conditions(), *conditions()->tvExSearch, kind); });
        walk.Type(QString::fromUtf8(dialog.typed));
        walk.Shoot(dialog.name);
        walk.Escape();
    }
    walk.Then([&] {
        conditions()->SetCarCatalogueFallbackHost(data::dmFriend().Settings().FinderServer());
        if (app::TCheckedTreeNode* cars = NodeOfKind(*conditions()->tvExSearch, 70)) {
            conditions()->tvExSearch->scrollToItem(cars);
            cars->setExpanded(true);
        }
    });
    walk.WaitFor([&] { return conditions()->CarMakesLoaded(); });
    walk.ThenModal([&] { ClickNode(*conditions(), *conditions()->tvExSearch, 71); });
    walk.Shoot("car-model-dialog");
    walk.Escape();

    walk.ThenModal([&] { window.acAbout->Execute(); });
    walk.Shoot("about-box");
    walk.Escape();

    // A search of the local site from the simple tree; its end is told in
    // the information box, which Escape answers. The favourites go back to
    // the right pane first, as after a start of the program.
    walk.Then([&] {
        window.acFavorites->Execute();
        conditions()->pcLeft->setCurrentWidget(conditions()->tsSearch);
        window.acStartSearch->Execute();
    });
    walk.WaitFor([] { return QApplication::activeModalWidget() != nullptr; });
    walk.Shoot("search-finished");
    walk.Escape();
    walk.WaitFor([] { return QApplication::activeModalWidget() == nullptr; });
    walk.Shoot("main-found-list");

    walk.ThenModal([&] { window.close(); });
    walk.Shoot("quit-question");
    walk.Escape();

    walk.Then([&] {
        window.acFavorites->Execute();
        window.resize(window.minimumSize());
    });
    walk.Shoot("main-smallest");
    walk.Then([&] { conditions()->pcLeft->setCurrentWidget(conditions()->tsLoadedFriends); });
    walk.Shoot("main-smallest-found-list");
    walk.Then([&] { window.acSettings->Execute(); });
    walk.Shoot("main-smallest-settings");

    walk.Start();
    const int result = QApplication::exec();
    return result;
}
