// The home page, the WAP area pages, the extended-search page and the
// hosting's error pages.
#include "support/site/SitePages.h"

namespace testsupport::sitepages {

namespace {

const char* const kUtf8Meta = "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">";

std::string Head(const PageContext& context, const char* title, bool html5) {
    std::string page = html5 ? "<!DOCTYPE html>\n" : "";
    page += "<html>\n<head>\n";
    if (!context.charsetMeta.empty()) page += context.charsetMeta + "\n";
    page += std::string("<title>") + title + "</title>\n</head>\n<body>\n";
    return page;
}

const char* WapTitle(std::string_view kind) {
    if (kind == "Country") return "Выберите страну:";
    if (kind == "Region") return "Выберите регион:";
    if (kind == "City") return "Выберите город:";
    return "Выберите станцию метро:";
}

} // namespace

std::string Escape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string PercentEncode(std::string_view text) {
    static const char* const hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
            c == '.' || c == '~') {
            out += char(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

// The old home page has a register picture whose file name holds
// "register-button" but no element of that class: only the new layout's
// button is the marker.
std::string HomePage(const PageContext& context) {
    if (context.layout == SiteLayout::Old) {
        return Head(context, "Знакомства", false) + R"(<table class="top" width="100%"><tr>
<td class="logo"><img src="/i/logo.gif" alt="Знакомства"></td>
<td class="login"><form name="login" action="/login.phtml" method="post">Логин: <input type="text" name="login">
Пароль: <input type="password" name="password"> <input type="submit" value="Войти"></form></td>
</tr></table>
<p><a href="/search.phtml">Поиск анкет</a> | <a href="/search_ext.phtml">Расширенный поиск</a></p>
<p><a href="/register.phtml"><img src="/i/register-button.gif" alt="Регистрация" border="0"></a></p>
</body>
</html>
)";
    }
    return Head(context, "Знакомства", true) + R"(<div class="header">
<a class="logo" href="/">Знакомства</a>
<form class="login-form" name="login" action="/login/" method="post"><input type="text" name="login">
<input type="password" name="password"><button type="submit">Войти</button></form></div>
<div class="promo"><h1>Знакомства для серьезных отношений</h1>
<a class="register-button" href="/register/">Зарегистрироваться</a></div>
<div class="menu"><a href="/search.phtml">Поиск анкет</a><a href="/search_ext.phtml">Расширенный поиск</a></div>
</body>
</html>
)";
}

// Area links are relative, so the first '.' of each is the one before the
// area's id. The "Поиск", "Далее..." and "Выбор региона" links carry the
// listed kind in their address, as area links do; only their texts tell
// them apart.
std::string WapPage(std::string_view where, std::string_view kind, const std::vector<SiteArea>& areas, int page,
                    int pageSize) {
    const std::string base = "/?area=search&amp;me=1&amp;lookFor=2&amp;where=";
    const std::string k(kind);
    std::string html = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<!DOCTYPE html PUBLIC \"-//WAPFORUM//DTD XHTML Mobile 1.0//EN\" "
                       "\"http://www.wapforum.org/DTD/xhtml-mobile10.dtd\">\n"
                       "<html xmlns=\"http://www.w3.org/1999/xhtml\">\n<head>\n"
                       "<meta http-equiv=\"Content-Type\" content=\"application/xhtml+xml; charset=UTF-8\"/>\n"
                       "<title>Поиск</title>\n</head>\n<body>\n";
    html += "<div><a href=\"/?area=search&amp;me=1&amp;where=" + k + ".0&amp;go=1\">Поиск</a></div>\n";
    html += std::string("<div>") + WapTitle(kind) + "</div>\n<div>\n";
    const size_t first = page >= 1 ? size_t(page - 1) * size_t(pageSize) : areas.size();
    for (size_t i = first; i < areas.size() && i < first + size_t(pageSize); ++i)
        html += "<a href=\"" + base + k + "." + areas[i].id + "\">" + Escape(areas[i].name) + "</a><br/>\n";
    html += "</div>\n";
    if (page >= 1 && first + size_t(pageSize) < areas.size())
        html += "<div><a href=\"" + base + std::string(where) + "&amp;page=" + std::to_string(page + 1) +
                "&amp;list=" + k + "\">Далее...</a></div>\n";
    html += "<div><a href=\"" + base + k + ".0\">Выбор региона</a></div>\n";
    return html + "</body>\n</html>\n";
}

std::string ExtendedSearchPage(const PageContext& context, const std::vector<SiteCarMake>& makes) {
    std::string html = Head(context, "Расширенный поиск", context.layout == SiteLayout::New);
    html += "<form name=\"search_ext\" action=\"/search.phtml\" method=\"get\">\n<table class=\"ext\">\n";
    html += "<tr><td>Я:</td><td><select name=\"s_i\"><option value=\"M\">Парень</option>"
            "<option value=\"F\">Девушка</option></select></td></tr>\n";
    html += "<tr><td>Автомобиль:</td><td><select name=\"avto_id\" class=\"avto\">\n";
    html += "<option value=\"0\">не важно</option>\n";
    for (const SiteCarMake& make : makes)
        html += "<option value=\"" + Escape(make.id) + "\">" + Escape(make.name) + "</option>\n";
    html += "</select></td></tr>\n";
    html += "<tr><td>Модель:</td><td><select name=\"avto_model_id\"><option value=\"0\">не важно</option>"
            "</select></td></tr>\n";
    html += "</table>\n<input type=\"submit\" value=\"Найти\">\n</form>\n";
    return html + "</body>\n</html>\n";
}

std::string PageNotFoundPage() {
    return std::string("<html>\n<head>\n") + kUtf8Meta +
           "\n<title>404</title>\n</head>\n<body>\n<h1>Страница не найдена</h1>\n"
           "<p>Запрошенная страница не существует.</p>\n</body>\n</html>\n";
}

std::string FreeAddressPage() {
    return std::string("<html>\n<head>\n") + kUtf8Meta +
           "\n<title>Этот адрес свободен</title>\n</head>\n<body>\n<h1>Этот адрес свободен</h1>\n"
           "<p>Домен можно зарегистрировать.</p>\n</body>\n</html>\n";
}

} // namespace testsupport::sitepages
