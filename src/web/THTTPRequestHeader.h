#pragma once
// The headers a client sends with each request: 38 named properties (see
// THTTPHeaderTables.h for their order and wire names), further "name:value"
// lines and cookies, turned into the raw text that goes on the wire.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class THTTPRequestHeader {
public:
    static constexpr int PropertyCount = 38;
    // Index reported by OnChange when everything may have changed.
    static constexpr int AllProperties = -1;

    // Fired with the header and the index of the property that changed
    // (AllProperties after Clear, SetRawHeaderText and AssignTo).
    using TChangeEvent = std::function<void(THTTPRequestHeader& sender, int propertyIndex)>;

    // Every property empty except Accept, which is "text/html, */*".
    THTTPRequestHeader();
    virtual ~THTTPRequestHeader() = default;
    THTTPRequestHeader(const THTTPRequestHeader&) = delete;
    THTTPRequestHeader& operator=(const THTTPRequestHeader&) = delete;

    // Every property empty, both lists emptied, then OnChange(AllProperties).
    void Clear();

    // The value of property `index`; empty for an index outside 0..37.
    const std::string& HeaderValueByPropertyIndex(int index) const;
    // Stores the value and fires OnChange(index) when it differs; an equal
    // value fires nothing and an index outside 0..37 does nothing.
    void SetHeaderValueByPropertyIndex(int index, const std::string& value);

#define VELMORA_HEADER_PROPERTY(Name, Index)                                            \
    const std::string& Name() const { return m_values[Index]; }                         \
    void Set##Name(const std::string& value) { SetHeaderValueByPropertyIndex(Index, value); }

    VELMORA_HEADER_PROPERTY(Accept, 0)
    VELMORA_HEADER_PROPERTY(AcceptCharSet, 1)
    VELMORA_HEADER_PROPERTY(AcceptEncoding, 2)
    VELMORA_HEADER_PROPERTY(AcceptLanguage, 3)
    VELMORA_HEADER_PROPERTY(Allow, 4)
    VELMORA_HEADER_PROPERTY(Authorization, 5)
    VELMORA_HEADER_PROPERTY(CacheControl, 6)
    VELMORA_HEADER_PROPERTY(Connection, 7)
    VELMORA_HEADER_PROPERTY(ContentEncoding, 8)
    VELMORA_HEADER_PROPERTY(ContentLanguage, 9)
    VELMORA_HEADER_PROPERTY(ContentLength, 10)
    VELMORA_HEADER_PROPERTY(ContentLocation, 11)
    VELMORA_HEADER_PROPERTY(ContentMD5, 12)
    VELMORA_HEADER_PROPERTY(ContentRange, 13)
    VELMORA_HEADER_PROPERTY(ContentType, 14)
    VELMORA_HEADER_PROPERTY(Date, 15)
    VELMORA_HEADER_PROPERTY(Expect, 16)
    VELMORA_HEADER_PROPERTY(Expires, 17)
    VELMORA_HEADER_PROPERTY(From, 18)
    VELMORA_HEADER_PROPERTY(Host, 19)
    VELMORA_HEADER_PROPERTY(IfMatch, 20)
    VELMORA_HEADER_PROPERTY(IfModifiedSince, 21)
    VELMORA_HEADER_PROPERTY(IfNoneMatch, 22)
    VELMORA_HEADER_PROPERTY(IfRange, 23)
    VELMORA_HEADER_PROPERTY(IfUnmodifiedSince, 24)
    VELMORA_HEADER_PROPERTY(LastModified, 25)
    VELMORA_HEADER_PROPERTY(MaxForwards, 26)
    VELMORA_HEADER_PROPERTY(Pragma, 27)
    VELMORA_HEADER_PROPERTY(ProxyAuthorization, 28)
    VELMORA_HEADER_PROPERTY(Range, 29)
    VELMORA_HEADER_PROPERTY(Referer, 30)
    VELMORA_HEADER_PROPERTY(TE, 31)
    VELMORA_HEADER_PROPERTY(Trailer, 32)
    VELMORA_HEADER_PROPERTY(TransferEncoding, 33)
    VELMORA_HEADER_PROPERTY(Upgrade, 34)
    VELMORA_HEADER_PROPERTY(UserAgent, 35)
    VELMORA_HEADER_PROPERTY(Via, 36)
    VELMORA_HEADER_PROPERTY(Warning, 37)
#undef VELMORA_HEADER_PROPERTY

    // Further headers as "name:value" lines; a line whose name or value is
    // blank is not sent. Changing the list fires no event.
    const std::vector<std::string>& CustomHeaders() const { return m_customHeaders; }
    std::vector<std::string>& CustomHeaders() { return m_customHeaders; }
    void SetCustomHeaders(std::vector<std::string> lines) { m_customHeaders = std::move(lines); }

    // Cookies as "name=value" lines, sent together on one "Cookie" line.
    const std::vector<std::string>& Cookies() const { return m_cookies; }
    std::vector<std::string>& Cookies() { return m_cookies; }
    void SetCookies(std::vector<std::string> lines) { m_cookies = std::move(lines); }

    // The header lines to send, each ended by CR LF: the non-blank properties
    // in index order, then the custom headers, then the cookies. Values are
    // trimmed; an all-blank header gives an empty text.
    std::string RawHeaderText() const;
    // Reads "name:value" lines: known names (any letter case) set their
    // properties, every other property becomes empty, a "Cookie" line is split
    // into Cookies and the remaining non-blank lines become CustomHeaders.
    // Fires OnChange(AllProperties) once; an empty text empties everything.
    void SetRawHeaderText(std::string_view text);

    // Copies every property and both lists into `target`, then fires the
    // target's OnChange(AllProperties).
    virtual void AssignTo(THTTPRequestHeader& target) const;

    TChangeEvent OnChange;

private:
    void Changed(int propertyIndex);

    std::string m_values[PropertyCount];
    std::vector<std::string> m_customHeaders;
    std::vector<std::string> m_cookies;
};
