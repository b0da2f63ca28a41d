#include "web/THTTPRequestHeader.h"

#include "platform/Text.h"
#include "web/THTTPHeaderTables.h"

#include <algorithm>

namespace {

const std::string kEmpty;

// The name part of a "name:value" line (text before the first ':'); a line
// without ':' has no name.
std::string_view NameOf(std::string_view line) {
    size_t colon = line.find(':');
    return colon == std::string_view::npos ? std::string_view() : line.substr(0, colon);
}

std::string_view ValueOf(std::string_view line) {
    size_t colon = line.find(':');
    return colon == std::string_view::npos ? std::string_view() : line.substr(colon + 1);
}

// Index of the first line named `name` (letter case ignored), or npos.
size_t FindLine(const std::vector<std::string>& lines, std::string_view name) {
    for (size_t i = 0; i < lines.size(); ++i)
        if (text::SameTextAscii(NameOf(lines[i]), name)) return i;
    return std::string::npos;
}

// Splits a Cookie header's value at ';'. Leading blanks of each cookie are
// skipped; double or single quotes protect separators and are dropped.
std::vector<std::string> SplitCookies(std::string_view value) {
    std::vector<std::string> cookies;
    size_t i = 0;
    const size_t n = value.size();
    while (i < n) {
        while (i < n && (value[i] == ' ' || value[i] == '\t')) ++i;
        if (i >= n) break;
        std::string raw;
        char quote = 0;
        for (; i < n; ++i) {
            char c = value[i];
            if (quote) {
                if (c == quote) quote = 0;
                else raw += c;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == ';') {
                ++i;
                break;
            } else {
                raw += c;
            }
        }
        std::string cookie = text::UrlDecode(raw);
        if (!cookie.empty()) cookies.push_back(std::move(cookie));
    }
    return cookies;
}

} // namespace

THTTPRequestHeader::THTTPRequestHeader() {
    Clear();
    SetAccept("text/html, */*");
}

void THTTPRequestHeader::Changed(int propertyIndex) {
    if (OnChange) OnChange(*this, propertyIndex);
}

void THTTPRequestHeader::Clear() {
    for (auto& value : m_values) value.clear();
    m_customHeaders.clear();
    m_cookies.clear();
    Changed(AllProperties);
}

const std::string& THTTPRequestHeader::HeaderValueByPropertyIndex(int index) const {
    if (index < 0 || index >= PropertyCount) return kEmpty;
    return m_values[index];
}

void THTTPRequestHeader::SetHeaderValueByPropertyIndex(int index, const std::string& value) {
    if (index < 0 || index >= PropertyCount) return;
    if (m_values[index] == value) return;
    m_values[index] = value;
    Changed(index);
}

std::string THTTPRequestHeader::RawHeaderText() const {
    std::string out;
    for (int i = 0; i < PropertyCount; ++i) {
        std::string_view value = text::Trim(m_values[i]);
        if (value.empty()) continue;
        out.append(HTTPRequestHeaderFields[i].wireName).append(": ").append(value).append("\r\n");
    }
    for (const auto& line : m_customHeaders) {
        std::string_view name = NameOf(line);
        std::string_view value = text::Trim(ValueOf(line));
        if (text::Trim(name).empty() || value.empty()) continue;
        out.append(name).append(": ").append(value).append("\r\n");
    }
    if (!m_cookies.empty()) {
        // The list's lines as one text, trimmed, with each line break as "; ".
        std::string joined;
        for (size_t i = 0; i < m_cookies.size(); ++i) {
            if (i) joined += "\r\n";
            joined += m_cookies[i];
        }
        std::string_view trimmed = text::Trim(joined);
        out += "Cookie: ";
        for (size_t i = 0; i < trimmed.size(); ++i) {
            if (trimmed.compare(i, 2, "\r\n") == 0) {
                out += "; ";
                ++i;
            } else {
                out += trimmed[i];
            }
        }
        out += "\r\n";
    }
    return out;
}

void THTTPRequestHeader::SetRawHeaderText(std::string_view textIn) {
    std::vector<std::string> lines = text::SplitLines(textIn);
    for (int i = 0; i < PropertyCount; ++i) {
        size_t at = FindLine(lines, HTTPRequestHeaderFields[i].wireName);
        if (at == std::string::npos) {
            m_values[i].clear();
        } else {
            m_values[i] = std::string(text::Trim(ValueOf(lines[at])));
            lines.erase(lines.begin() + std::ptrdiff_t(at));
        }
    }
    m_cookies.clear();
    if (size_t at = FindLine(lines, "Cookie"); at != std::string::npos) {
        m_cookies = SplitCookies(ValueOf(lines[at]));
        lines.erase(lines.begin() + std::ptrdiff_t(at));
    }
    m_customHeaders.clear();
    for (auto& line : lines)
        if (!text::Trim(line).empty()) m_customHeaders.push_back(std::move(line));
    Changed(AllProperties);
}

void THTTPRequestHeader::AssignTo(THTTPRequestHeader& target) const {
    if (&target != this) {
        std::copy(std::begin(m_values), std::end(m_values), std::begin(target.m_values));
        target.m_customHeaders = m_customHeaders;
        target.m_cookies = m_cookies;
    }
    target.Changed(AllProperties);
}
