#include "web/THTTPRequestHeader.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

struct ChangeLog {
    std::vector<int> indexes;
    void Bind(THTTPRequestHeader& header) {
        header.OnChange = [this](THTTPRequestHeader&, int index) { indexes.push_back(index); };
    }
};

} // namespace

TEST(HTTPRequestHeader, PropertiesGoOutInIndexOrderTrimmedAndBlankOnesSkipped) {
    THTTPRequestHeader header;
    header.SetUserAgent("  agent/1.0 ");
    header.SetReferer("http://example.com/");
    header.SetPragma("   ");
    header.SetHost("example.com");
    EXPECT_EQ(header.RawHeaderText(),
              "Accept: text/html, */*\r\n"
              "Host: example.com\r\n"
              "Referer: http://example.com/\r\n"
              "User-Agent: agent/1.0\r\n");
}

TEST(HTTPRequestHeader, CustomHeadersNeedNameAndValueAndCookiesShareOneLine) {
    THTTPRequestHeader header;
    header.SetAccept("");
    header.SetCustomHeaders({"X-One: 1 ", "X-Empty:   ", ":no name", "no colon", "X-Two:two:parts"});
    EXPECT_EQ(header.RawHeaderText(), "X-One: 1\r\nX-Two: two:parts\r\n");
    header.SetCustomHeaders({});
    header.SetCookies({"a=1", "b=2"});
    EXPECT_EQ(header.RawHeaderText(), "Cookie: a=1; b=2\r\n");
    header.SetCookies({" a=1", "b=2  "});
    EXPECT_EQ(header.RawHeaderText(), "Cookie: a=1; b=2\r\n");
}

TEST(HTTPRequestHeader, SettingAValueFiresOnlyOnChange) {
    THTTPRequestHeader header;
    ChangeLog log;
    log.Bind(header);
    header.SetReferer("r");
    header.SetReferer("r");
    header.SetAccept("text/html, */*"); // the value it already has
    header.SetHeaderValueByPropertyIndex(38, "out of range");
    header.SetHeaderValueByPropertyIndex(-2, "out of range");
    EXPECT_EQ(log.indexes, std::vector<int>{30});
    EXPECT_EQ(header.HeaderValueByPropertyIndex(38), "");
}

TEST(HTTPRequestHeader, ClearOrEmptyRawTextEmptiesEverythingAndFiresOnce) {
    for (bool clear : {true, false}) {
        SCOPED_TRACE(clear ? "Clear" : "empty raw text");
        THTTPRequestHeader header;
        header.SetUserAgent("agent");
        header.SetCookies({"a=1"});
        header.SetCustomHeaders({"X: y"});
        ChangeLog log;
        log.Bind(header);
        if (clear) header.Clear();
        else header.SetRawHeaderText("");
        EXPECT_EQ(header.Accept(), "");
        EXPECT_EQ(header.UserAgent(), "");
        EXPECT_TRUE(header.Cookies().empty());
        EXPECT_TRUE(header.CustomHeaders().empty());
        EXPECT_EQ(header.RawHeaderText(), "");
        EXPECT_EQ(log.indexes, std::vector<int>{THTTPRequestHeader::AllProperties});
    }
}

TEST(HTTPRequestHeader, RawTextIsParsedIntoPropertiesCookiesAndCustomLines) {
    THTTPRequestHeader header;
    header.SetReferer("old");
    header.SetRawHeaderText("user-agent:  Agent/2 \r\n"
                            "X-Custom: yes\n"
                            "ACCEPT: */*\r"
                            "   \r\n"
                            "Cookie: a=1; 'b=x;y'; c=\"q r\"; d=%41%%+z%zz\r\n"
                            "Broken line\r\n");
    EXPECT_EQ(header.UserAgent(), "Agent/2");
    EXPECT_EQ(header.Accept(), "*/*");
    EXPECT_EQ(header.Referer(), ""); // a property the text does not name is emptied
    EXPECT_EQ(header.Cookies(), (std::vector<std::string>{"a=1", "b=x;y", "c=q r", "d=A% z%zz"}));
    EXPECT_EQ(header.CustomHeaders(), (std::vector<std::string>{"X-Custom: yes", "Broken line"}));
    EXPECT_EQ(header.RawHeaderText(), "Accept: */*\r\n"
                                      "User-Agent: Agent/2\r\n"
                                      "X-Custom: yes\r\n"
                                      "Cookie: a=1; b=x;y; c=q r; d=A% z%zz\r\n");
}

TEST(HTTPRequestHeader, RawTextRoundTrips) {
    THTTPRequestHeader header;
    header.SetUserAgent("agent");
    header.SetIfModifiedSince("Sat, 29 Oct 1994 19:43:31 GMT");
    header.SetCustomHeaders({"X-A: 1"});
    header.SetCookies({"s=abc", "t=def"});
    THTTPRequestHeader copy;
    copy.SetRawHeaderText(header.RawHeaderText());
    EXPECT_EQ(copy.RawHeaderText(), header.RawHeaderText());
}

TEST(HTTPRequestHeader, AssignToCopiesEverythingAndFiresTheTargetOnce) {
    THTTPRequestHeader source;
    source.SetWarning("w");
    source.SetCookies({"a=1"});
    source.SetCustomHeaders({"X: y"});
    THTTPRequestHeader target;
    target.SetReferer("gone");
    ChangeLog sourceLog, targetLog;
    sourceLog.Bind(source);
    targetLog.Bind(target);
    source.AssignTo(target);
    EXPECT_EQ(target.RawHeaderText(), source.RawHeaderText());
    EXPECT_EQ(targetLog.indexes, std::vector<int>{THTTPRequestHeader::AllProperties});
    EXPECT_TRUE(sourceLog.indexes.empty());
}
