// The settings page: its controls, filling them from the settings, the
// server list and saving. The area lists are in TfrmSettingsAreas.cpp.
#include "app/forms/TfrmSettings.h"

#include "app/controls/TComboBox.h"
#include "app/controls/TNumberEdit.h"
#include "app/forms/FormHosting.h"
#include "app/forms/TfrmProxy.h"
#include "data/CodeTables.h"
#include "data/TdmFriend.h"
#include "platform/FormRegistry.h"
#include "platform/HostName.h"
#include "platform/MessageRoutines.h"
#include "platform/QtText.h"
#include "platform/TPanel.h"
#include "platform/Text.h"
#include "search/TVelmora.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace app {
namespace {

using platform::ToQString;

constexpr int ProfilesPerPage = 13; // profiles on one result page of the site
constexpr int MaxPageCount = 999999; // what six digits hold
const char* const LockedHint = "Кнопка заблокирована до завершения поиска!";
// The longest server name the server field shows whole.
const char* const SampleServer = "www.site.example:65535";
constexpr int YoungestAge = 18;
constexpr int OldestAge = 99; // the fields take two digits

std::string ToStd(const QString& s) { return s.toStdString(); }
std::string Trimmed(const QString& s) { return std::string(text::Trim(ToStd(s))); }

// The page count as typed: trimmed and with every blank removed.
std::string PageCountText(const QString& s) {
    std::string text;
    for (char c : ToStd(s))
        if (static_cast<unsigned char>(c) > ' ') text += c;
    return text;
}

// A page count of 0 to MaxPageCount in decimal digits; "" counts as 0.
std::optional<int> PageCountValue(const std::string& text) {
    if (text.empty()) return 0;
    if (text.size() > 6 || !search::TVelmora::IsAllDigits(text)) return std::nullopt;
    return std::stoi(text);
}

QLabel* Caption(const char* text, QWidget* parent) { return new QLabel(QString::fromUtf8(text), parent); }

} // namespace

TfrmSettings::TfrmSettings(QWidget* owner) : platform::TForm(owner) {
    setObjectName("frmSettings");
    CreateControls();
    FormCreate();
}

// The engine may be gone by now (the main window frees it first); the page
// hooks it only while a fetch runs.
TfrmSettings::~TfrmSettings() = default;

void TfrmSettings::CreateControls() {
    auto named = [](auto* widget, const char* name) {
        widget->setObjectName(name);
        return widget;
    };
    // Every handler runs at an event boundary: what it raises is shown.
    auto guarded = [this](auto handler) {
        return [this, handler](auto&&...) {
            try {
                handler();
            } catch (const std::exception& e) {
                ShowError(e);
            }
        };
    };

    pcSettings = named(new QTabWidget(this), "pcSettings");
    tsSearch = named(new QWidget, "tsSearch");
    tsProxy = named(new QWidget, "tsProxy");
    pcSettings->addTab(tsSearch, "Настройки поиска");
    pcSettings->addTab(tsProxy, "Настройки прокси-сервера");
    pnProxy = named(new platform::TPanel(tsProxy), "pnProxy");
    auto* proxyLayout = new QVBoxLayout(tsProxy);
    proxyLayout->setContentsMargins(0, 0, 0, 0);
    proxyLayout->addWidget(pnProxy);

    pnButtons = named(new platform::TPanel(this), "pnButtons");
    btnSave = named(new QPushButton("Сохранить", pnButtons), "btnSave");
    btnSave->setMinimumWidth(100);
    auto* buttons = new QHBoxLayout(pnButtons);
    buttons->setContentsMargins(0, 2, 0, 2);
    buttons->addStretch(1);
    buttons->addWidget(btnSave);
    buttons->addStretch(1);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(4, 4, 4, 4);
    page->addWidget(pcSettings, 1);
    page->addWidget(pnButtons);

    // The search tab scrolls when the page panel is smaller than the page.
    auto* scroll = new QScrollArea(tsSearch);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    auto* content = new QWidget;
    scroll->setWidget(content);
    auto* searchLayout = new QVBoxLayout(tsSearch);
    searchLayout->setContentsMargins(0, 0, 0, 0);
    searchLayout->addWidget(scroll);

    gbServer = named(new QGroupBox("Сервер", content), "gbServer");
    edServer = named(new QLineEdit(gbServer), "edServer");
    sbAddServer = named(new QToolButton(gbServer), "sbAddServer");
    sbAddServer->setText("+");
    sbAddServer->setToolTip("Добавить сервер в список");
    sbDeleteServer = named(new QToolButton(gbServer), "sbDeleteServer");
    sbDeleteServer->setText("−");
    sbDeleteServer->setToolTip("Удалить выбранный сервер из списка");
    cblServer = named(new QListWidget(gbServer), "cblServer");
    auto* serverRow = new QHBoxLayout;
    serverRow->addWidget(edServer, 1);
    serverRow->addWidget(sbAddServer);
    serverRow->addWidget(sbDeleteServer);
    auto* serverLayout = new QVBoxLayout(gbServer);
    serverLayout->addLayout(serverRow);
    serverLayout->addWidget(cblServer, 1);
    // Room for a host name with a port, and for the title's server count.
    edServer->setMinimumWidth(QFontMetrics(edServer->font()).horizontalAdvance(QString(SampleServer)) + 12);
    cblServer->setMinimumWidth(0);
    gbServer->setFixedWidth(gbServer->minimumSizeHint().width());

    edLogin = named(new QLineEdit(content), "edLogin");
    edPassword = named(new QLineEdit(content), "edPassword");
    edPassword->setEchoMode(QLineEdit::Password);
    cbGender = named(new TComboBox(content), "cbGender");
    cbFriendGender = named(new TComboBox(content), "cbFriendGender");
    edFrom = named(new QLineEdit(content), "edFrom");
    edTo = named(new QLineEdit(content), "edTo");
    // Each number field is as wide as its longest value.
    const auto fitDigits = [](QLineEdit* edit, int digits) {
        edit->setMaxLength(digits);
        edit->setFixedWidth(QFontMetrics(edit->font()).horizontalAdvance(QString(digits + 1, QLatin1Char('0'))) + 12);
    };
    fitDigits(edFrom, 2);
    fitDigits(edTo, 2);
    edPageCount = named(new TNumberEdit(content), "edPageCount");
    fitDigits(edPageCount, 6);
    lbCalcRowCount = named(new QLabel("0 анкет", content), "lbCalcRowCount");

    auto* fields = new QGridLayout;
    fields->addWidget(Caption("Логин", content), 0, 0);
    fields->addWidget(edLogin, 0, 1);
    fields->addWidget(Caption("Пароль", content), 1, 0);
    fields->addWidget(edPassword, 1, 1);
    fields->addWidget(Caption("Я", content), 2, 0);
    fields->addWidget(cbGender, 2, 1);
    fields->addWidget(Caption("Ищу", content), 3, 0);
    fields->addWidget(cbFriendGender, 3, 1);
    auto* ages = new QHBoxLayout;
    ages->addWidget(edFrom);
    ages->addWidget(Caption("–", content));
    ages->addWidget(edTo);
    ages->addWidget(Caption("лет", content));
    ages->addStretch(1);
    fields->addWidget(Caption("Возраст", content), 4, 0);
    fields->addLayout(ages, 4, 1);
    auto* pages = new QHBoxLayout;
    pages->addWidget(edPageCount);
    pages->addWidget(Caption("страниц", content));
    pages->addStretch(1);
    fields->addWidget(Caption("Листать", content), 5, 0);
    fields->addLayout(pages, 5, 1);
    fields->addWidget(Caption("Примерно", content), 6, 0);
    fields->addWidget(lbCalcRowCount, 6, 1);
    fields->setColumnStretch(1, 1);
    fields->setRowStretch(7, 1);

    cbCountry = named(new TComboBox(content), "cbCountry");
    cbRegion = named(new TComboBox(content), "cbRegion");
    cbCity = named(new TComboBox(content), "cbCity");
    cbStation = named(new TComboBox(content), "cbStation");
    auto* areas = new QGridLayout;
    int row = 0;
    for (auto [caption, combo] : {std::pair{"Страна", cbCountry}, std::pair{"Регион", cbRegion},
                                  std::pair{"Город", cbCity}, std::pair{"Станция метро", cbStation}}) {
        areas->addWidget(Caption(caption, content), row, 0);
        areas->addWidget(combo, row, 1);
        // As wide as the longest area name listed, so that none is cut; the
        // page scrolls rather than squeeze it.
        combo->setMinimumContentsLength(12);
        combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        combo->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
        ++row;
    }
    areas->setColumnStretch(1, 1);

    // The boxes are made in this order on purpose: a flag takes the first box
    // whose name holds its own, so chbIntim must come before chbIntimBuy.
    gbTarget = named(new QGroupBox("Цель знакомства", content), "gbTarget");
    auto* targets = new QGridLayout(gbTarget);
    targets->setVerticalSpacing(2);
    targets->setHorizontalSpacing(10);
    int index = 0;
    for (auto [member, name, caption] :
         {std::tuple{&chbFriendship, "chbFriendship", "Дружба и общение"}, {&chbEmail, "chbEmail", "Переписка"},
          {&chbLove, "chbLove", "Любовь, отношения"}, {&chbRegSex, "chbRegSex", "Регулярный секс вдвоем"},
          {&chbSomeSex, "chbSomeSex", "Секс на один-два раза"}, {&chbGroup, "chbGroup", "Групповой секс"},
          {&chbVirt, "chbVirt", "Виртуальный секс"}, {&chbIntim, "chbIntim", "Предлагает интим за деньги"},
          {&chbIntimBuy, "chbIntimBuy", "Ищет интим за деньги"}, {&chbFamily, "chbFamily", "Брак, создание семьи"},
          {&chbChild, "chbChild", "Рождение, воспитание ребенка"}, {&chbFiktive, "chbFiktive", "Брак для вида"},
          {&chbRent, "chbRent", "Совместная аренда жилья"}, {&chbSport, "chbSport", "Занятия спортом"}}) {
        *member = named(new QCheckBox(QString::fromUtf8(caption), gbTarget), name);
        targets->addWidget(*member, index % 7, index / 7);
        ++index;
    }
    gbSponsor = named(new QGroupBox("Материальная поддержка", content), "gbSponsor");
    auto* sponsors = new QVBoxLayout(gbSponsor);
    sponsors->setSpacing(2);
    for (auto [member, name, caption] :
         {std::tuple{&chbLookFor, "chbLookFor", "Хочет найти спонсора"},
          {&chbIam, "chbIam", "Готов(а) стать спонсором"},
          {&chbNo, "chbNo", "Не нуждается в спонсоре\nи не хочет им быть"}}) {
        *member = named(new QCheckBox(QString::fromUtf8(caption), gbSponsor), name);
        sponsors->addWidget(*member);
    }
    sponsors->addStretch(1);

    auto* top = new QHBoxLayout;
    top->setSpacing(8);
    top->addWidget(gbServer);
    top->addLayout(fields, 1);
    top->addSpacing(4);
    auto* right = new QVBoxLayout;
    right->addLayout(areas);
    right->addWidget(gbSponsor);
    top->addLayout(right, 1);
    auto* contentLayout = new QVBoxLayout(content);
    contentLayout->setContentsMargins(6, 6, 6, 6);
    contentLayout->addLayout(top);
    contentLayout->addWidget(gbTarget);
    contentLayout->addStretch(1);

    connect(btnSave, &QPushButton::clicked, this, guarded([this] { btnSaveClick(); }));
    connect(sbAddServer, &QToolButton::clicked, this, guarded([this] { sbAddServerClick(); }));
    connect(sbDeleteServer, &QToolButton::clicked, this, guarded([this] { sbDeleteServerClick(); }));
    connect(cblServer, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        try {
            cblServerClickCheck(item);
        } catch (const std::exception& e) {
            ShowError(e);
        }
    });
    connect(cbCountry, &QComboBox::activated, this, guarded([this] { cbCountryChange(); }));
    connect(cbRegion, &QComboBox::activated, this, guarded([this] { cbRegionChange(); }));
    connect(cbCity, &QComboBox::activated, this, guarded([this] { cbCityChange(); }));
    edPageCount->OnChange = guarded([this] { edPageCountChange(); });
    const std::pair<TComboBox*, bool (TfrmSettings::*)()> dropDowns[] = {
        {cbCountry, &TfrmSettings::cbCountryDropDown},
        {cbRegion, &TfrmSettings::cbRegionDropDown},
        {cbCity, &TfrmSettings::cbCityDropDown},
        {cbStation, &TfrmSettings::cbStationDropDown}};
    for (const auto& [combo, method] : dropDowns)
        // A copy: not every compiler lets a lambda capture a structured binding.
        combo->OnDropDown = [this, handler = method](TComboBox&) {
            try {
                return (this->*handler)();
            } catch (const std::exception& e) {
                ShowError(e);
                return true;
            }
        };
}

void TfrmSettings::FormCreate() {
    data::TdmFriend& dm = data::dmFriend();
    data::TTesselSettings& settings = dm.Settings();

    try {
        dm.Servers().Load();
    } catch (const std::exception& e) {
        ShowError(e);
    }
    m_serverIndex.Build("URL", dm.Servers());
    // The server searches use is shown, ticked, even when the list lost it:
    // otherwise another line would be ticked and "Сохранить" would store it.
    // The list's file takes it with the next change of the list.
    const std::string stored(text::Trim(settings.FinderServer()));
    if (!stored.empty() && !m_serverIndex.Find(stored)) m_serverIndex.AddKey(stored);
    SetServerLines();
    const int count = cblServer->count();
    if (count == 1 || (count > 0 && text::Trim(settings.FinderServer()).empty())) {
        CheckServerLine(0);
    } else {
        for (int i = 0; i < count; ++i)
            if (ToStd(cblServer->item(i)->text()) == settings.FinderServer()) {
                CheckServerLine(i);
                break;
            }
    }

    for (size_t i = 0; i < data::GenderCodes.size(); ++i) {
        cbGender->addItem(ToQString(data::GenderNames[i]));
        cbFriendGender->addItem(ToQString(data::SeekGenderNames[i]));
    }
    cbGender->setCurrentIndex(data::IndexOfGenderCode(settings.s_i()));
    cbFriendGender->setCurrentIndex(data::IndexOfGenderCode(settings.s_l()));

    m_countriesLoaded = false;
    m_regionsStale = m_citiesStale = m_stationsStale = true;
    FillCountryList(settings.id_Country());
    FillRegionList(settings.id_Region());
    FillCityList(settings.id_Town());
    FillStationList(settings.id_Station());

    edLogin->setText(ToQString(settings.login()));
    edPassword->setText(ToQString(settings.GetPassword()));
    edFrom->setText(ToQString(settings.s_f()));
    edTo->setText(ToQString(settings.s_t()));
    edPageCount->SetValue(std::to_string(settings.PageCount()));
    edPageCountChange();
    settings.SetTargetToControl(gbTarget);
    settings.SetSponsorToControl(gbSponsor);

    // Without its page the proxy settings are kept as they are.
    m_proxyPage = dynamic_cast<TfrmProxy*>(LoadEmbeddedForm(pnProxy, "TfrmProxy", ""));
    if (m_proxyPage) {
        m_proxyPage->Params().Assign(settings.ProxyParams());
        m_proxyPage->LoadFromParams();
    }
}

void TfrmSettings::LockSaveControls(bool Locked) {
    m_searchLocked = Locked;
    // A disabled button tells why in its tool tip (Qt shows tool tips of
    // disabled widgets); a box popping up under the mouse would be in the way.
    for (QAbstractButton* button : {static_cast<QAbstractButton*>(btnSave),
                                    static_cast<QAbstractButton*>(sbAddServer),
                                    static_cast<QAbstractButton*>(sbDeleteServer)}) {
        button->setEnabled(!Locked && !AreaFetching());
        if (Locked) {
            if (button->property("unlockedHint").isNull()) button->setProperty("unlockedHint", button->toolTip());
            button->setToolTip(LockedHint);
        } else if (!button->property("unlockedHint").isNull()) {
            button->setToolTip(button->property("unlockedHint").toString());
            button->setProperty("unlockedHint", QVariant());
        }
    }
}

// ---- the server list ----

void TfrmSettings::SetServerLines() {
    std::vector<std::string> lines;
    m_serverIndex.FillStrings(lines);
    m_fillingServers = true;
    cblServer->clear();
    for (const std::string& line : lines) {
        auto* item = new QListWidgetItem(ToQString(line), cblServer);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    m_fillingServers = false;
    const int n = cblServer->count();
    gbServer->setTitle(n > 0 ? ToQString("Сервер (всего " + text::CountOf(n, "сервер", "сервера", "серверов") + ")")
                             : QString("Сервер"));
}

void TfrmSettings::CheckServerLine(int line) {
    m_fillingServers = true;
    for (int i = 0; i < cblServer->count(); ++i)
        cblServer->item(i)->setCheckState(i == line ? Qt::Checked : Qt::Unchecked);
    m_fillingServers = false;
}

void TfrmSettings::RefreshServerList(const std::optional<std::string>& Name) {
    int remembered = -1;
    if (!Name)
        for (int i = 0; i < cblServer->count(); ++i)
            if (cblServer->item(i)->checkState() == Qt::Checked) {
                remembered = i;
                break;
            }
    SetServerLines();
    const int count = cblServer->count();
    if (count == 0) return;
    if (Name) {
        int line = 0;
        for (int i = 0; i < count; ++i)
            if (text::SameTextAscii(ToStd(cblServer->item(i)->text()), *Name)) {
                line = i;
                break;
            }
        CheckServerLine(line);
    } else if (count == 1 || remembered == -1 || remembered >= count) {
        CheckServerLine(0);
    } else {
        CheckServerLine(remembered);
    }
}

void TfrmSettings::sbAddServerClick() {
    // Host names never hold blanks: the name is stored trimmed.
    const std::string name = Trimmed(edServer->text());
    if (name.empty()) {
        platform::ShowInfoMessage("Необходимо сначала ввести новое имя сервера!");
        return;
    }
    // A name that Start would refuse is refused here, where it is typed.
    if (const std::string problem = platform::ServerAddressProblem(name); !problem.empty()) {
        platform::ShowInfoMessage(problem);
        edServer->setFocus();
        edServer->selectAll();
        return;
    }
    if (m_serverIndex.Find(name)) {
        platform::ShowInfoMessage("Такое имя уже есть в списке!");
        return;
    }
    m_serverIndex.AddKey(name);
    RefreshServerList(name);
    data::dmFriend().Servers().Save();
}

void TfrmSettings::sbDeleteServerClick() {
    const int line = cblServer->currentRow();
    if (line < 0 || line >= m_serverIndex.Count()) {
        platform::ShowInfoMessage("Необходимо сначала выбрать строку для удаления!");
        return;
    }
    if (cblServer->item(line)->checkState() == Qt::Checked) {
        m_fillingServers = true;
        cblServer->item(line)->setCheckState(Qt::Unchecked);
        m_fillingServers = false;
    }
    m_serverIndex.DeleteEntry(line);
    RefreshServerList(std::nullopt);
    data::dmFriend().Servers().Save();
}

void TfrmSettings::cblServerClickCheck(QListWidgetItem* item) {
    if (m_fillingServers || !item) return;
    // One server at a time: the line the user ticked is the only one ticked.
    const int line = cblServer->row(item);
    cblServer->setCurrentRow(line);
    CheckServerLine(line);
}

void TfrmSettings::edPageCountChange() {
    const std::optional<int> pages = PageCountValue(PageCountText(edPageCount->text()));
    lbCalcRowCount->setText(
        ToQString(text::CountOf(int64_t(pages.value_or(0)) * ProfilesPerPage, "анкета", "анкеты", "анкет")));
}

// ---- saving ----

std::optional<std::string> TfrmSettings::CheckValues() {
    // The field at fault is shown, with its text selected for retyping.
    const auto refuse = [this](QWidget* tab, QLineEdit* field, std::string why) -> std::optional<std::string> {
        pcSettings->setCurrentWidget(tab);
        field->setFocus();
        field->selectAll();
        return why;
    };
    // An empty age field leaves that bound open; anything else must be an
    // age, and the range must not run backwards.
    const std::string from = ToStd(edFrom->text()), to = ToStd(edTo->text());
    for (auto [field, value] : {std::pair{edFrom, from}, std::pair{edTo, to}})
        if (!value.empty() && !search::TVelmora::IsAllDigits(value))
            return refuse(tsSearch, field,
                          "Укажите в поле «Возраст» число лет от " + std::to_string(YoungestAge) + " до " +
                              std::to_string(OldestAge) + " или оставьте поле пустым.");
    if (!from.empty() && !to.empty() &&
        std::max(std::stoi(from), YoungestAge) > std::max(std::stoi(to), YoungestAge))
        return refuse(tsSearch, edTo, "В поле «Возраст» верхняя граница не может быть меньше нижней.");
    if (!PageCountValue(PageCountText(edPageCount->text())))
        return refuse(tsSearch, edPageCount,
                      "Укажите в поле «Листать ... страниц» целое число от 0 до " + std::to_string(MaxPageCount) + ".");
    QLineEdit* field = nullptr;
    if (m_proxyPage)
        if (std::optional<std::string> problem = m_proxyPage->CheckValues(&field))
            return refuse(tsProxy, field, std::move(*problem));
    return std::nullopt;
}

bool TfrmSettings::btnSaveClick() {
    if (const std::optional<std::string> problem = CheckValues()) {
        platform::ShowInfoMessage(*problem);
        return false;
    }
    if (OnStoring) OnStoring(data::dmFriend().Settings());
    StoreValues();
    data::dmFriend().Settings().Save();
    if (OnSave) OnSave(*this);
    return true;
}

void TfrmSettings::StoreValues() {
    data::TdmFriend& dm = data::dmFriend();
    data::TTesselSettings& settings = dm.Settings();

    std::string server;
    for (int i = 0; i < cblServer->count() && server.empty(); ++i)
        if (cblServer->item(i)->checkState() == Qt::Checked) server = Trimmed(cblServer->item(i)->text());
    if (!server.empty())
        settings.SetFinderServer(server);
    else if (settings.FinderServer().empty() && cblServer->count() > 0)
        settings.SetFinderServer(Trimmed(cblServer->item(0)->text()));

    settings.SetLogin(ToStd(edLogin->text()));
    settings.SetPassword(ToStd(edPassword->text()));

    auto genderCode = [](const QComboBox* combo) {
        const int i = combo->currentIndex();
        return std::string(data::GenderCodes[i >= 0 && i < int(data::GenderCodes.size()) ? size_t(i) : 0]);
    };
    settings.SetS_i(genderCode(cbGender));
    settings.SetS_l(genderCode(cbFriendGender));

    // An age below 18 is raised to 18; an empty field clears the bound
    // (CheckValues let nothing else through).
    auto age = [](QLineEdit* edit) -> std::string {
        const std::string text = ToStd(edit->text());
        if (!search::TVelmora::IsAllDigits(text)) return {};
        if (std::stoi(text) < YoungestAge) {
            edit->setText(QString::number(YoungestAge));
            return std::to_string(YoungestAge);
        }
        return text;
    };
    settings.SetS_f(age(edFrom));
    settings.SetS_t(age(edTo));

    StoreAreas();

    settings.SetPageCount(PageCountValue(PageCountText(edPageCount->text())).value_or(0));
    settings.GetTargetFromControl(gbTarget);
    settings.GetSponsorFromControl(gbSponsor);

    if (m_proxyPage) {
        m_proxyPage->SaveToParams();
        m_proxyPage->Params().AssignTo(settings.ProxyParams());
    }
}

void TfrmSettings::ShowTreeChoice(const data::TFinderParams& choice, const std::vector<std::string>& changed) {
    const auto has = [&changed](std::string_view name) {
        return std::find(changed.begin(), changed.end(), name) != changed.end();
    };
    if (has("s_i")) cbGender->setCurrentIndex(data::IndexOfGenderCode(choice.s_i()));
    if (has("s_l")) cbFriendGender->setCurrentIndex(data::IndexOfGenderCode(choice.s_l()));
    if (has("s_f")) edFrom->setText(ToQString(choice.s_f()));
    if (has("s_t")) edTo->setText(ToQString(choice.s_t()));
    if (has("target")) choice.SetTargetToControl(gbTarget);
    if (has("sponsor")) choice.SetSponsorToControl(gbSponsor);
}

void TfrmSettings::ShowError(const std::exception& e) const { platform::ShowInfoMessage(e.what()); }

void RegisterSettingsForms() {
    platform::RegisterFormClass<TfrmSettings>("TfrmSettings");
    platform::RegisterFormClass<TfrmProxy>("TfrmProxy");
}

} // namespace app
