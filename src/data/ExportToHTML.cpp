#include "data/ExportToHTML.h"

#include "data/TXMLTable.h"
#include "platform/AtomicFile.h"
#include "platform/Text.h"

#include <string>
#include <string_view>

namespace data {
namespace {

constexpr std::string_view kHeader =
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\"><HTML><HEAD><META http-equiv=Content-Type "
    "content=\"text/html; charset=windows-1251\"><META content=\"MSHTML 6.00.6000.16441\" name=GENERATOR></HEAD><BODY>";
constexpr std::string_view kFooter = "</BODY></HTML>";
constexpr std::string_view kLineEnd = "\r\n";

// Profile texts come from the site: markup in them must stay text.
void AppendText(std::string& out, std::string_view value) {
    for (const char c : value) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out += c;
        }
    }
}

// Inside the double-quoted attribute only '&' and '"' need escaping.
void AppendAttribute(std::string& out, std::string_view value) {
    for (const char c : value) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
}

// Only web addresses are linked: a "javascript:" or "file:" address from a
// damaged or hostile page must not become something to click.
bool IsWebAddress(std::string_view url) {
    return text::StartsWithAsciiCI(url, "http://") || text::StartsWithAsciiCI(url, "https://");
}

std::string CharacterReference(char32_t codePoint) { return "&#" + std::to_string(codePoint) + ";"; }

} // namespace

void ExportToHTML(TXMLTable& table, const std::filesystem::path& fileName) {
    table.Open();
    table.First();
    std::string page(kHeader);
    page += kLineEnd;
    for (int i = 0; i < table.RecordCount(); ++i) {
        const pugi::xml_node record = table.RecordNode(i);
        const std::string url = TXMLTable::NodeText(record, "URL");
        if (IsWebAddress(url)) {
            page += "<a href=\"";
            AppendAttribute(page, url);
            page += "\">";
        } else {
            page += "<a>";
        }
        AppendText(page, TXMLTable::NodeText(record, "Name"));
        page += ", ";
        AppendText(page, TXMLTable::NodeText(record, "Age"));
        page += ", ";
        AppendText(page, TXMLTable::NodeText(record, "Area"));
        page += "</a><BR>";
        page += kLineEnd;
    }
    page += kFooter; // line ends go between lines only: none after the last
    try {
        platform::WriteFileAtomic(fileName, text::Utf8ToCp1251(page, CharacterReference));
    } catch (const platform::EFileWrite& e) {
        throw EXMLTable(e.what());
    }
}

} // namespace data
