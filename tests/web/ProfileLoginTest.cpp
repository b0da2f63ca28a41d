// Logins from profile addresses, the session-token cut of indirect links,
// and the reading of an indirect link's page (locally served).
#include "platform/Text.h"
#include "support/LocalHttpServer.h"
#include "web/ProfileLogin.h"
#include "web/TSubmit.h"

#include <gtest/gtest.h>

using testsupport::HttpReply;
using testsupport::LocalHttpServer;

namespace {

const std::string kToken = "0123456789abcdef0123456789ABCDEF";
static_assert(sizeof("0123456789abcdef0123456789ABCDEF") - 1 == 32);

struct LoginCase {
    const char* name;
    std::string url;
    std::string login;
};

void PrintTo(const LoginCase& c, std::ostream* os) { *os << c.name; }

class DirectAddress : public testing::TestWithParam<LoginCase> {};

TEST_P(DirectAddress, GivesTheFirstPathSegment) {
    EXPECT_EQ(web::ExtractProfileLogin(GetParam().url), GetParam().login) << GetParam().url;
}

INSTANTIATE_TEST_SUITE_P(Login, DirectAddress, testing::Values(
    LoginCase{"CapitalsComeOutLowerCase", "http://site.test/ANNA/", "anna"},
    LoginCase{"NoSlashAfterTheLogin", "http://site.test/anna", "anna"},
    LoginCase{"LaterSegmentsAreIgnored", "http://site.test/anna/photo.phtml?id=3", "anna"},
    LoginCase{"PortStaysWithTheHost", "http://127.0.0.1:8080/anna/", "anna"},
    LoginCase{"SecureScheme", "https://site.test/Anna/", "anna"},
    LoginCase{"OnlyLatinLettersFolded", "http://site.test/ЁлкаX/", "Ёлкаx"},
    LoginCase{"MyIsOnlyExactlyMy", "http://site.test/mystery/", "mystery"},
    LoginCase{"HostWithSlashOnly", "http://site.test/", ""},
    LoginCase{"BareHost", "http://site.test", ""},
    LoginCase{"QueryFirst", "http://site.test/?sold=12", ""},
    LoginCase{"My", "http://site.test/my/", ""},
    LoginCase{"Top", "http://site.test/top/", ""},
    LoginCase{"Tips", "http://site.test/tips/x", ""},
    LoginCase{"PageAddress", "http://site.test/search.phtml?s_ty=All", ""},
    LoginCase{"EmptySegment", "http://site.test//anna/", ""},
    LoginCase{"Empty", "", ""}
), [](const auto& info) { return std::string(info.param.name); });

struct CutCase {
    const char* name;
    std::string link;
    std::string cut;
};

void PrintTo(const CutCase& c, std::ostream* os) { *os << c.name; }

class SessionToken : public testing::TestWithParam<CutCase> {};

TEST_P(SessionToken, IsCutFromTheLink) {
    EXPECT_EQ(web::CutSessionToken(GetParam().link), GetParam().cut);
}

INSTANTIATE_TEST_SUITE_P(Cut, SessionToken, testing::Values(
    CutCase{"TokenBeforeOtherParameters", "http://h/fromsearch/?s=" + kToken + "&id=5", "http://h/fromsearch/?&id=5"},
    CutCase{"TrailingAmpersandGoes", "http://h/fromsearch/?id=5&s=" + kToken, "http://h/fromsearch/?id=5"},
    CutCase{"ThirtyTwoCharactersExactly", "http://h/fromsearch/?s=" + kToken + "XYZ", "http://h/fromsearch/?XYZ"},
    CutCase{"ShortTokenCutsToTheEnd", "http://h/fromsearch/?id=5&s=abc", "http://h/fromsearch/?id=5"},
    CutCase{"FirstOccurrenceOnly", "http://h/?s=" + kToken + "&s=" + kToken, "http://h/?&s=" + kToken},
    CutCase{"InsideAName", "http://h/fromsearch/?pass=" + kToken + "&x", "http://h/fromsearch/?pas&x"},
    CutCase{"CountedInCharacters", "http://h/?s=" + std::string(31, 'a') + "ЖZ", "http://h/?Z"},
    CutCase{"NoToken", "http://h/fromsearch/?id=5", "http://h/fromsearch/?id=5"},
    CutCase{"NothingLeft", "s=" + kToken, ""}
), [](const auto& info) { return std::string(info.param.name); });

struct PageCase {
    const char* name;
    std::string page;
    std::string address;
};

void PrintTo(const PageCase& c, std::ostream* os) { *os << c.name; }

class LinkPage : public testing::TestWithParam<PageCase> {};

TEST_P(LinkPage, ShowsTheProfileAddress) {
    EXPECT_EQ(web::FindProfileAddress(GetParam().page), GetParam().address);
}

INSTANTIATE_TEST_SUITE_P(Address, LinkPage, testing::Values(
    PageCase{"SelfLink", "<a href=\"http://h/anna/?gid=1\">http://h/anna/</a>", "http://h/anna/"},
    PageCase{"LastQualifyingAnchorWins",
             "<a href=http://h/anna/>http://h/anna/</a><p><a href=http://h/bella/x>http://h/bella/</a>"
             "<a href=http://h/carla/>carla</a>",
             "http://h/bella/"},
    PageCase{"TextAsItStands", "<a href=http://h/anna/>http://h/anna/ \n</a>", "http://h/anna/  "},
    PageCase{"TextMustEndInSlash", "<a href=http://h/anna/>http://h/anna</a>", ""},
    PageCase{"TextMustBeginTheHref", "<a href=http://h/anna/>http://h/bella/</a>", ""},
    PageCase{"SlashAloneIsNoAddress", "<a href=/anna/>/</a>", ""},
    PageCase{"TagRightAfterTheAnchor", "<a href=http://h/anna/><b>http://h/anna/</b></a>", ""},
    PageCase{"AnchorLastOnThePage", "text <a href=http://h/anna/>", ""},
    PageCase{"EmptyPage", "", ""},
    // The older tag syntax: a TAB does not separate, and blanks round '='
    // make separate attribute texts.
    PageCase{"TabDoesNotSeparateTheName", "<a\thref=http://h/anna/>http://h/anna/</a>", ""},
    PageCase{"TabJoinsAttributes", "<a class=x\thref=http://h/anna/>http://h/anna/</a>", ""},
    PageCase{"BlanksRoundEqualsKeepTheValueOut", "<a href = \"http://h/anna/\">http://h/anna/</a>", ""},
    PageCase{"BlanksElsewhereAreFine", "<a  class=x  href=\"http://h/anna/\" >http://h/anna/</a>", "http://h/anna/"}
), [](const auto& info) { return std::string(info.param.name); });

// A local site: "/fromsearch/" shows `page`, every other path is 404.
class IndirectLink : public testing::Test {
protected:
    void Show(std::string page) { server.Page("/fromsearch/", std::move(page)); }
    std::string Link(const std::string& query) { return server.Url("/fromsearch/?" + query); }
    std::string SelfLink(const std::string& login) {
        const std::string address = server.Url("/" + login + "/");
        return "<a href=\"" + address + "?gid=7\">" + address + "</a>";
    }

    LocalHttpServer server;
};

TEST_F(IndirectLink, PageGivesTheLogin) {
    Show("<html><body><a href=/>Главная</a>\n<p>Анкета: " + SelfLink("Anna") + "</p></body></html>");
    EXPECT_EQ(web::ExtractProfileLogin(Link("s=" + kToken + "&id=5")), "anna");
    ASSERT_EQ(server.RequestCount(), 1u);
    EXPECT_EQ(server.LastRequest().target, "/fromsearch/?&id=5");
}

TEST_F(IndirectLink, WindowsPageIsReadAsWindows1251) {
    Show(text::Utf8ToCp1251("<p>Привет</p><a href=/x>Назад</a>") + SelfLink("bella"));
    EXPECT_EQ(web::ExtractProfileLogin(Link("s=" + kToken)), "bella");
}

TEST_F(IndirectLink, PageWithoutSelfLinkGivesNoLogin) {
    Show("<a href=\"" + server.Url("/anna/") + "\">Анна</a>");
    EXPECT_EQ(web::ExtractProfileLogin(Link("s=" + kToken)), "");
    EXPECT_EQ(server.RequestCount(), 1u);
}

TEST_F(IndirectLink, FailedDownloadGivesNoLogin) {
    server.Reply("/fromsearch/", HttpReply::Status(500, SelfLink("anna")));
    EXPECT_EQ(web::ExtractProfileLogin(Link("s=" + kToken)), "");
    EXPECT_EQ(web::ExtractProfileLogin(server.Url("/other/fromsearch")), "");
}

TEST_F(IndirectLink, ClientIsSetUpBeforeItsRequest) {
    Show(SelfLink("anna"));
    int setups = 0;
    const web::TClientSetup setup = [&](TSubmit& client) {
        ++setups;
        EXPECT_EQ(server.RequestCount(), 0u);
        client.RequestHeader().SetReferer("http://probe.test/");
    };
    EXPECT_EQ(web::ExtractProfileLogin(Link("s=" + kToken), setup), "anna");
    EXPECT_EQ(setups, 1);
    EXPECT_EQ(server.LastRequest().Header("Referer"), "http://probe.test/");
}

TEST(IndirectLinkToken, LinkThatIsOnlyItsTokenAsksNothing) {
    EXPECT_EQ(web::ResolveSearchLink("s=fromsearch"), "");
    EXPECT_EQ(web::ExtractProfileLogin("s=fromsearch0123456789"), "");
    EXPECT_EQ(web::ResolveSearchLink(""), "");
}

} // namespace
