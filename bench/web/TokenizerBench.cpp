// Tokenizing the two kinds of page a search reads: a result page (~100 KB)
// and a profile page (~50 KB), with our tokenizer and with gumbo parsing the
// same bytes. The pages are synthetic but shaped like the site's: nested
// tables and lists, anchors with several attributes, entities, and Cyrillic
// text (pages are parsed as UTF-8).
#include "web/TFindTags.h"
#include "web/THTMLParser.h"

#include <benchmark/benchmark.h>
#include <gumbo.h>

#include <random>
#include <string>

namespace {

const char* const kNames[] = {"Анна", "Мария", "Елена", "Ольга", "Наталья", "Ирина", "Светлана", "Юлия",
                              "Татьяна", "Екатерина", "Дмитрий", "Сергей", "Алексей", "Андрей"};
const char* const kCities[] = {"Москва", "Санкт-Петербург", "Новосибирск", "Екатеринбург", "Казань",
                               "Нижний Новгород", "Самара", "Омск"};
const char* const kMetro[] = {"Пушкинская", "Арбатская", "Маяковская", "Сокол", "Динамо", "Таганская"};
const char* const kConditions[] = {"Не курю", "Курю иногда", "Не пью вообще", "Пью в компаниях",
                                   "Стройная", "Спортивная", "Рыжие", "Блондинка", "Детей нет",
                                   "Есть, живём вместе", "Гетеро", "Хорошо зарабатываю / обеспечена",
                                   "Никогда не принимала", "Рок", "Джаз", "Плавание", "Йога"};

template <class T, size_t N>
const T& Pick(std::mt19937& random, const T (&items)[N]) {
    return items[random() % N];
}

std::string Head(const char* title) {
    std::string page =
        "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
        "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\n"
        "<html xmlns=\"http://www.w3.org/1999/xhtml\">\n<head>\n"
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\" />\n"
        "<meta name=\"keywords\" content=\"знакомства, знакомства без регистрации, серьёзные отношения\" />\n"
        "<title>";
    page += title;
    page += "</title>\n"
            "<link rel=\"stylesheet\" type=\"text/css\" href=\"http://img.site.example/css/main.css?v=412\" />\n"
            "<script type=\"text/javascript\" src=\"http://img.site.example/js/common.js?v=412\"></script>\n"
            "</head>\n<body class=\"page\">\n"
            "<div id=\"header\"><a href=\"http://site.example/\" class=\"logo\"><img src=\"http://img.site.example/"
            "i/logo.gif\" width=\"180\" height=\"48\" alt=\"Знакомства\" border=\"0\" /></a>\n"
            "  <ul class=\"menu\">\n"
            "    <li><a href=\"http://site.example/search.phtml\">Поиск</a></li>\n"
            "    <li><a href=\"http://site.example/my/\">Моя анкета</a></li>\n"
            "    <li><a href=\"http://site.example/top/\">Лучшие</a></li>\n"
            "  </ul>\n</div>\n";
    return page;
}

std::string Footer() {
    return "<div id=\"footer\">&copy; 2002&ndash;2009 &laquo;Знакомства&raquo;. Все права защищены.&nbsp;"
           "<a href=\"http://site.example/rules.phtml\">Правила</a> | "
           "<a href=\"http://site.example/help.phtml\">Помощь</a></div>\n</body>\n</html>\n";
}

// A search result page: a table with one row per profile.
std::string ResultPage(size_t bytes) {
    std::mt19937 random(12345);
    std::string page = Head("Знакомства &mdash; результаты поиска");
    page += "<h1>Найдено анкет: 1&nbsp;024</h1>\n"
            "<table class=\"search-results\" cellpadding=\"0\" cellspacing=\"0\" width=\"100%\">\n";
    for (int row = 0; page.size() < bytes - 2000; ++row) {
        const std::string login = "user" + std::to_string(100000 + random() % 900000);
        const std::string oid = std::to_string(random() % 10000000);
        page += "  <tr class=\"" + std::string(row % 2 ? "odd" : "even") + "\">\n";
        page += "    <td class=\"photo\" width=\"110\" valign=\"top\"><a href=\"http://site.example/" + login +
                "/?oid=" + oid + "&amp;gid=7\" class=\"u-s-photo u-photo\"><img src=\"http://img.site.example/"
                "photos/" + oid.substr(0, 2) + "/" + oid + "_s.jpg\" alt=\"Реальный пользователь\" width=\"100\" "
                "height=\"120\" border=\"0\" /></a></td>\n";
        page += "    <td class=\"info\" valign=\"top\">\n";
        page += "      <li class=\"" + std::string(row % 7 == 0 ? "intim" : "usual") + "\">";
        page += "<a href=\"http://site.example/" + login + "/?oid=" + oid + "\" class=\"u-name\" target=\"_blank\">" +
                Pick(random, kNames) + "</a>, " + std::to_string(18 + random() % 40) + "<br />\n";
        page += "      " + std::string(Pick(random, kCities)) + ", Россия&nbsp;&mdash;&nbsp;м. " +
                Pick(random, kMetro) + "<br />\n";
        page += "      <span class=\"wish\">Ищу мужчину в возрасте " + std::to_string(20 + random() % 10) + "&#150;" +
                std::to_string(30 + random() % 20) + " лет для серьёзных отношений</span><br />\n";
        if (row % 5 == 0)
            page += "      <a href=\"http://site.example/vip.phtml\" class=\"ico-vip\" title=\"VIP\"></a>\n";
        page += "      <span class=\"count\">" + std::to_string(random() % 40) + " фото</span> <span class=\"count\">" +
                std::to_string(random() % 5) + " видео</span>\n";
        page += "    </td>\n  </tr>\n";
    }
    page += "</table>\n<div class=\"pages\">";
    for (int p = 1; p <= 10; ++p)
        page += "<a href=\"http://site.example/search.phtml?offset=" + std::to_string(p * 10) +
                "&amp;s_ty=All&amp;s_m=F\">" + std::to_string(p + 1) + "</a>&nbsp;";
    page += "</div>\n" + Footer();
    return page;
}

// A profile page: attribute lists under bold titles, and free text.
std::string ProfilePage(size_t bytes) {
    std::mt19937 random(54321);
    std::string page = Head("Анна, 27 лет, Москва &mdash; анкета");
    page += "<div class=\"profile\">\n  <div class=\"u-s-photo u-photo\"><img src=\"http://img.site.example/photos/"
            "12/1234567.jpg\" width=\"300\" height=\"400\" alt=\"Анна\" /></div>\n"
            "  <div class=\"age\">27 лет, Скорпион</div>\n"
            "  <div class=\"views\">Просмотров за месяц: 1542</div>\n";
    for (int block = 0; page.size() < bytes - 3000; ++block) {
        page += "  <div class=\"block\">\n    <b class=\"b-title\">Раздел " + std::to_string(block + 1) +
                "</b>\n    <ul class=\"list\">\n";
        for (int item = 0; item < 8; ++item)
            page += "      <li class=\"item\">&mdash; " + std::string(Pick(random, kConditions)) + "</li>\n";
        page += "    </ul>\n    <p>О себе: люблю путешествия, &laquo;живую&raquo; музыку и долгие прогулки по "
                "городу.\n    Рост: 168 см<br />Вес: 55 кг<br />\n    Ищу &quot;того самого&quot; &mdash; доброго, "
                "надёжного &amp; с чувством юмора.</p>\n  </div>\n";
    }
    page += "  <table class=\"cars\"><tr><td>Мой автомобиль</td><td>Toyota Corolla</td></tr></table>\n</div>\n";
    page += Footer();
    return page;
}

std::string WithCrLf(const std::string& page) {
    std::string out;
    for (char c : page) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// 0: result page, 1: profile page, 2: the result page with CR LF line ends
// (which the tokenizer cannot slice, since its texts hold LF alone).
const std::string& Page(int which) {
    static const std::string result = ResultPage(100 * 1024);
    static const std::string profile = ProfilePage(50 * 1024);
    static const std::string resultCrLf = WithCrLf(result);
    return which == 0 ? result : which == 1 ? profile : resultCrLf;
}

void Ours(benchmark::State& state, int which) {
    const std::string& page = Page(which);
    web::THTMLParser parser;
    parser.SetText(page);
    for (auto _ : state) {
        parser.Clear();
        parser.Execute();
        benchmark::DoNotOptimize(parser.Count());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(page.size()));
    state.counters["items"] = parser.Count();
}

// A finder made for each page, as a caller that keeps none would: the page
// is copied in, tokenized on the first query, and its links collected.
void OursFreshFinder(benchmark::State& state, int which) {
    const std::string& page = Page(which);
    for (auto _ : state) {
        web::TFindTags finder;
        finder.SetHTML(page);
        benchmark::DoNotOptimize(finder.FindTags("a", web::TFindTags::IsHttpLink).size());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(page.size()));
}

void Gumbo(benchmark::State& state, int which) {
    const std::string& page = Page(which);
    for (auto _ : state) {
        GumboOutput* output = gumbo_parse_with_options(&kGumboDefaultOptions, page.data(), page.size());
        benchmark::DoNotOptimize(output->root);
        gumbo_destroy_output(&kGumboDefaultOptions, output);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(page.size()));
}

void BM_TokenizeResultPage_Ours(benchmark::State& state) { Ours(state, 0); }
void BM_TokenizeResultPage_OursFreshFinder(benchmark::State& state) { OursFreshFinder(state, 0); }
void BM_TokenizeResultPage_Gumbo(benchmark::State& state) { Gumbo(state, 0); }
void BM_TokenizeResultPageCrLf_Ours(benchmark::State& state) { Ours(state, 2); }
void BM_TokenizeResultPageCrLf_Gumbo(benchmark::State& state) { Gumbo(state, 2); }
void BM_TokenizeProfilePage_Ours(benchmark::State& state) { Ours(state, 1); }
void BM_TokenizeProfilePage_OursFreshFinder(benchmark::State& state) { OursFreshFinder(state, 1); }
void BM_TokenizeProfilePage_Gumbo(benchmark::State& state) { Gumbo(state, 1); }

BENCHMARK(BM_TokenizeResultPage_Ours);
BENCHMARK(BM_TokenizeResultPage_OursFreshFinder);
BENCHMARK(BM_TokenizeResultPage_Gumbo);
BENCHMARK(BM_TokenizeResultPageCrLf_Ours);
BENCHMARK(BM_TokenizeResultPageCrLf_Gumbo);
BENCHMARK(BM_TokenizeProfilePage_Ours);
BENCHMARK(BM_TokenizeProfilePage_OursFreshFinder);
BENCHMARK(BM_TokenizeProfilePage_Gumbo);

} // namespace

BENCHMARK_MAIN();
