// Profile pages of both layouts.
//
// Old layout: a head table (photo cell; name, age, the zodiac sign after its
// picture, area and "просмотров за месяц: N", each line ended by <br>), then
// the questionnaire: lists as <ul><li>text</li>, one-value answers as
// "<font>Label:</font><br>Value<br>" (the value right after one <br> and right
// before the next), measures as "<font>Рост:</font> 170 см<br>" (the label
// three items before the <br>, the value right before it), the car as
// "<font>Автомобиль:</font> Make Model<br>".
//
// New layout: the sign in <div class="age">, the views line in a div, lists
// as <li>— text</li> (an em dash and a blank before the text), every answer
// in its own div as "<b class="b-title">Label:</b> Value", so that the value
// is two items after the label; the car under "Мой автомобиль:".
//
// Both end with the profile's own address as a link whose text is that
// address, which the program's "fromsearch" link resolution looks for.
#include "support/site/SitePages.h"

#include "data/VocabularyTables.h"

namespace testsupport::sitepages {

namespace {

using data::TVocabularyGroup;

// The text the site writes for a member's answer: a vocabulary id becomes
// its condition text, in a woman's wording where the site has one; any other
// value is shown as it stands. Escaped for the page.
std::string Shown(TVocabularyGroup group, const std::string& value, bool female) {
    if (group == TVocabularyGroup::MarriageMan || group == TVocabularyGroup::MarriageWoman) {
        // Either wording's id picks the answer; the member's gender picks the wording.
        for (auto g : {TVocabularyGroup::MarriageMan, TVocabularyGroup::MarriageWoman})
            for (const auto& row : data::VocabularyRowsOf(g))
                if (row.id == value) {
                    const std::string base = std::string(row.id.substr(0, row.id.size() - 1));
                    const auto wording = female ? TVocabularyGroup::MarriageWoman : TVocabularyGroup::MarriageMan;
                    for (const auto& own : data::VocabularyRowsOf(wording))
                        if (own.id == base + (female ? "2" : "1")) return Escape(own.Condition);
                }
        return Escape(value);
    }
    for (const auto& row : data::VocabularyRowsOf(group)) {
        if (row.id != value) continue;
        if (row.id == "Iam") return female ? "Готова стать спонсором" : "Готов стать спонсором";
        if (female && row.id == "NoNarcotic") return "Никогда не принимала";
        if (female && row.id == "Huge") return "Хорошо зарабатываю / обеспечена";
        return Escape(row.Condition);
    }
    return Escape(value);
}

struct Answer {
    const char* label;
    TVocabularyGroup group;
    const std::string SiteMember::*field;
};

// One-value answers in page order.
const Answer kAnswers[] = {
    {"Спонсорство:", TVocabularyGroup::Sponsor, &SiteMember::sponsor},
    {"Семейное положение:", TVocabularyGroup::MarriageMan, &SiteMember::marriage},
    {"Дети:", TVocabularyGroup::Children, &SiteMember::children},
    {"Телосложение:", TVocabularyGroup::Figure, &SiteMember::figure},
    {"Волосы:", TVocabularyGroup::Hair, &SiteMember::hair},
    {"Грудь:", TVocabularyGroup::Bust, &SiteMember::bust},
    {"Размер:", TVocabularyGroup::Limb, &SiteMember::limb},
    {"Ориентация:", TVocabularyGroup::Orientation, &SiteMember::orientation},
    {"Курение:", TVocabularyGroup::Smoking, &SiteMember::smoking},
    {"Алкоголь:", TVocabularyGroup::Alcohol, &SiteMember::alcohol},
    {"Наркотики:", TVocabularyGroup::Narcotic, &SiteMember::narcotic},
    {"Материальное положение:", TVocabularyGroup::Economic, &SiteMember::economic},
    {"ВИЧ-статус:", TVocabularyGroup::AIDS, &SiteMember::aids},
};

struct List {
    const char* label;
    TVocabularyGroup group;
    const std::vector<std::string> SiteMember::*field;
};

const List kListsBefore[] = {{"Цель знакомства:", TVocabularyGroup::Target, &SiteMember::purposes}};
const List kListsAfter[] = {
    {"Меня возбуждает:", TVocabularyGroup::Excite, &SiteMember::excite},
    {"Музыка:", TVocabularyGroup::Music, &SiteMember::music},
    {"Спорт:", TVocabularyGroup::Sport, &SiteMember::sport},
};

std::string CarText(const SiteMember& m) {
    return Escape(m.carModel.empty() ? m.carMake : m.carMake + " " + m.carModel);
}

// "21 год", "32 года", "45 лет"; empty for no age.
std::string AgeLine(const SiteMember& m) {
    if (m.age <= 0) return {};
    const int last = m.age % 10, lastTwo = m.age % 100;
    const char* word = "лет";
    if (last == 1 && lastTwo != 11) word = "год";
    else if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14)) word = "года";
    return std::to_string(m.age) + " " + word;
}

std::string Head(const PageContext& context, const SiteMember& m, bool html5) {
    std::string page = html5 ? "<!DOCTYPE html>\n" : "";
    page += "<html>\n<head>\n";
    if (!context.charsetMeta.empty()) page += context.charsetMeta + "\n";
    page += "<title>" + Escape(m.ShownName()) + " - анкета</title>\n</head>\n<body>\n";
    return page;
}

std::string PhotoUrl(const PageContext& context, const SiteMember& m) {
    return "http://" + context.host + "/photos/" + PercentEncode(m.login) + "_medium.jpg";
}

std::string OldProfile(const PageContext& context, const SiteMember& m) {
    const bool female = m.IsFemale();
    const std::string name = Escape(m.ShownName());
    std::string html = Head(context, m, false);
    html += "<table class=\"top\" width=\"100%\"><tr><td class=\"logo\"><a href=\"http://" + context.host +
            "/\"><img src=\"/i/logo.gif\" alt=\"Знакомства\"></a></td></tr></table>\n";
    html += "<table class=\"profile\" width=\"100%\"><tr>\n";
    if (m.photos > 0)
        html += "<td class=\"photo\" valign=\"top\"><img src=\"" + PhotoUrl(context, m) + "\" alt=\"" + name +
                "\"></td>\n";
    html += "<td class=\"info\" valign=\"top\">\n";
    html += "<font size=\"4\"><b>" + name + "</b></font><br>\n";
    if (m.age > 0) html += AgeLine(m) + "<br>\n";
    if (!m.zodiac.empty())
        html += "<img src=\"/i/zodiac.gif\" width=\"16\" height=\"16\" alt=\"\"> " +
                Shown(TVocabularyGroup::Zodiac, m.zodiac, female) + "<br>\n";
    if (!m.area.empty()) html += Escape(m.area) + "<br>\n";
    if (m.viewsPerMonth >= 0) html += "просмотров за месяц: " + std::to_string(m.viewsPerMonth) + "<br>\n";
    html += "</td>\n</tr></table>\n";

    html += "<table class=\"anketa\" width=\"100%\"><tr><td>\n";
    auto list = [&](const List& l) {
        const auto& values = m.*(l.field);
        if (values.empty()) return;
        html += std::string("<b>") + l.label + "</b>\n<ul>\n";
        for (const std::string& v : values) html += "<li>" + Shown(l.group, v, female) + "</li>\n";
        html += "</ul>\n";
    };
    auto measure = [&](const char* label, const std::string& value) {
        html += std::string("<font color=\"gray\">") + label + "</font> " + value + "<br>\n";
    };
    for (const List& l : kListsBefore) list(l);
    for (const Answer& a : kAnswers) {
        const std::string& value = m.*(a.field);
        if (!value.empty())
            html += std::string("<font color=\"gray\">") + a.label + "</font><br>" + Shown(a.group, value, female) +
                    "<br>\n";
    }
    if (m.height > 0) measure("Рост:", std::to_string(m.height) + " см");
    if (m.weight > 0) measure("Вес:", std::to_string(m.weight) + " кг");
    for (const List& l : kListsAfter) list(l);
    if (!m.carMake.empty()) measure("Автомобиль:", CarText(m));
    const std::string self = ProfileAddress(context, m);
    html += "<p>Адрес анкеты: <a href=\"" + self + "\">" + self + "</a></p>\n";
    html += "</td></tr></table>\n</body>\n</html>\n";
    return html;
}

std::string NewProfile(const PageContext& context, const SiteMember& m) {
    const bool female = m.IsFemale();
    const std::string name = Escape(m.ShownName());
    std::string html = Head(context, m, true);
    html += "<div class=\"header\"><a class=\"logo\" href=\"http://" + context.host + "/\">Знакомства</a></div>\n";
    html += "<div class=\"profile\">\n";
    if (m.photos > 0)
        html += "<div class=\"u-photo-big\"><img src=\"" + PhotoUrl(context, m) + "\" alt=\"" + name + "\"></div>\n";
    html += "<h1 class=\"u-name\">" + name + "</h1>\n";
    std::string age = AgeLine(m);
    if (!m.zodiac.empty()) age += (age.empty() ? "" : ", ") + Shown(TVocabularyGroup::Zodiac, m.zodiac, female);
    if (!age.empty()) html += "<div class=\"age\">" + age + "</div>\n";
    if (!m.area.empty()) html += "<div class=\"area\">" + Escape(m.area) + "</div>\n";
    if (m.viewsPerMonth >= 0)
        html += "<div class=\"views\">просмотров за месяц: " + std::to_string(m.viewsPerMonth) + "</div>\n";

    auto list = [&](const List& l) {
        const auto& values = m.*(l.field);
        if (values.empty()) return;
        html += std::string("<div class=\"b-block\"><b class=\"b-title\">") + l.label + "</b>\n<ul>\n";
        for (const std::string& v : values) html += "<li>— " + Shown(l.group, v, female) + "</li>\n";
        html += "</ul>\n</div>\n";
    };
    auto row = [&](const char* label, const std::string& value) {
        html += std::string("<div class=\"b-row\"><b class=\"b-title\">") + label + "</b> " + value + "</div>\n";
    };
    for (const List& l : kListsBefore) list(l);
    for (const Answer& a : kAnswers) {
        const std::string& value = m.*(a.field);
        if (!value.empty()) row(a.label, Shown(a.group, value, female));
    }
    if (m.height > 0) row("Рост:", std::to_string(m.height) + " см");
    if (m.weight > 0) row("Вес:", std::to_string(m.weight) + " кг");
    for (const List& l : kListsAfter) list(l);
    if (!m.carMake.empty()) row("Мой автомобиль:", CarText(m));
    const std::string self = ProfileAddress(context, m);
    html += "<div class=\"address\">Адрес анкеты: <a href=\"" + self + "\">" + self + "</a></div>\n";
    html += "</div>\n</body>\n</html>\n";
    return html;
}

} // namespace

std::string ProfilePage(const PageContext& context, const SiteMember& member) {
    return context.layout == SiteLayout::New ? NewProfile(context, member) : OldProfile(context, member);
}

} // namespace testsupport::sitepages
