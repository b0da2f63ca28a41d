// The HTML export: its exact bytes, escaping of what came from the site,
// addresses that are linked or not, and characters windows-1251 lacks.
#include "ProfileTestSupport.h"

#include "data/ExportToHTML.h"
#include "data/TFriend.h"

#include <gtest/gtest.h>

namespace {

using data::ExportToHTML;
using data::TFriend;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

const std::string kHeader =
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\"><HTML><HEAD><META http-equiv=Content-Type "
    "content=\"text/html; charset=windows-1251\"><META content=\"MSHTML 6.00.6000.16441\" name=GENERATOR></HEAD><BODY>"
    "\r\n";
const std::string kFooter = "</BODY></HTML>";

TEST(ExportToHTML, EmptyTableGivesHeaderAndFooterOnly) {
    TempDir dir;
    TFriend table;
    ExportToHTML(table, dir / "~tmp.html");
    EXPECT_EQ(ReadFile(dir / "~tmp.html"), kHeader + kFooter);
}

TEST(ExportToHTML, OneLinePerRowInWindows1251) {
    TempDir dir;
    WriteFile(dir / "~tmp.html", "an older export");
    TFriend table;
    table.AddFriend("Анна", "anna", "http://example.test/anketa.phtml?oid=1", "Москва", 25, 0, 0, 0, 0, 0, "");
    table.AddFriend("Olga", "olga", "HTTPS://example.test/o", "", 0, 0, 0, 0, 0, 0, "");
    ExportToHTML(table, dir / "~tmp.html");
    // "Анна" and "Москва" as windows-1251 bytes.
    EXPECT_EQ(ReadFile(dir / "~tmp.html"),
              kHeader +
                  "<a href=\"http://example.test/anketa.phtml?oid=1\">\xC0\xED\xED\xE0, 25, \xCC\xEE\xF1\xEA\xE2\xE0</a><BR>\r\n"
                  "<a href=\"HTTPS://example.test/o\">Olga, 0, </a><BR>\r\n" +
                  kFooter);
}

TEST(ExportToHTML, EscapesSiteTextAndLinksOnlyWebAddresses) {
    TempDir dir;
    TFriend table;
    struct Row {
        const char* name;
        const char* url;
        const char* area;
        const char* line;
    };
    const Row rows[] = {
        {"<b>Ж&М</b>", "http://example.test/a?x=1&y=\"2\"", "a > b",
         "<a href=\"http://example.test/a?x=1&amp;y=&quot;2&quot;\">&lt;b&gt;\xC6&amp;\xCC&lt;/b&gt;, 1, a &gt; b</a><BR>"},
        {"x", "javascript:alert(1)", "", "<a>x, 1, </a><BR>"},
        {"x", "\"><script>", "", "<a>x, 1, </a><BR>"},
        {"x", "", "", "<a>x, 1, </a><BR>"},
        {"x", "http:/one-slash", "", "<a>x, 1, </a><BR>"},
        {"'q'", "http://q.test/'", "", "<a href=\"http://q.test/'\">'q', 1, </a><BR>"},
    };
    std::string expected = kHeader;
    for (const Row& row : rows) {
        table.AddFriend(row.name, "l", row.url, row.area, 1, 0, 0, 0, 0, 0, "");
        expected += std::string(row.line) + "\r\n";
    }
    expected += kFooter;
    ExportToHTML(table, dir / "out.html");
    EXPECT_EQ(ReadFile(dir / "out.html"), expected);
}

TEST(ExportToHTML, CharactersWindows1251LacksBecomeCharacterReferences) {
    TempDir dir;
    TFriend table;
    // "€" and "№" exist in windows-1251 (0x88, 0xB9); "∑", "😀" and "ł" do not.
    table.AddFriend("Ёж € № ∑ 😀 ł", "l", "http://example.test/ж", "", 30, 0, 0, 0, 0, 0, "");
    ExportToHTML(table, dir / "out.html");
    EXPECT_EQ(ReadFile(dir / "out.html"),
              kHeader + "<a href=\"http://example.test/\xE6\">\xA8\xE6 \x88 \xB9 &#8721; &#128512; &#322;, 30, </a><BR>\r\n" +
                  kFooter);
}

TEST(ExportToHTML, UnwritableFileThrows) {
    TempDir dir;
    TFriend table;
    EXPECT_THROW(ExportToHTML(table, dir / "missing-folder" / "out.html"), data::EXMLTable);
}

} // namespace
