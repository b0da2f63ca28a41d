#include "platform/HttpUrl.h"

#include "platform/Text.h"

#include <vector>

namespace platform {

namespace {

bool IsUnsafe(unsigned char c, bool escapePercent) {
    if (c <= 0x20 || c >= 0x7F) return true;
    switch (c) {
    case '"': case '<': case '>': case '\\': case '^': case '`': case '{': case '|': case '}':
        return true;
    case '%':
        return escapePercent;
    default:
        return false;
    }
}

void Escape(std::string& out, std::string_view part, bool enabled, bool escapePercent) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (unsigned char c : part) {
        if (enabled && IsUnsafe(c, escapePercent)) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        } else {
            out += char(c);
        }
    }
}

// Glob match with '*' only, letters folded ASCII-only.
bool WildcardMatch(std::string_view pattern, std::string_view textIn) {
    size_t p = 0, t = 0, star = std::string_view::npos, mark = 0;
    while (t < textIn.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = t;
        } else if (p < pattern.size() && text::AsciiLower(pattern[p]) == text::AsciiLower(textIn[t])) {
            ++p;
            ++t;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            t = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

} // namespace

std::string EscapeRequestPath(std::string_view pathAndQuery, HttpEscapeRules rules) {
    std::string out;
    out.reserve(pathAndQuery.size() + 16);
    size_t q = pathAndQuery.find('?');
    Escape(out, pathAndQuery.substr(0, q), rules.path, rules.percent);
    if (q != std::string_view::npos) Escape(out, pathAndQuery.substr(q), rules.query, rules.percent);
    return out;
}

bool ProxyBypassMatches(std::string_view bypassList, std::string_view host, int port) {
    std::vector<std::string_view> entries;
    size_t start = 0;
    for (size_t i = 0; i <= bypassList.size(); ++i) {
        if (i == bypassList.size() || bypassList[i] == ';' || bypassList[i] == ',' ||
            static_cast<unsigned char>(bypassList[i]) <= ' ') {
            if (i > start) entries.push_back(bypassList.substr(start, i - start));
            start = i + 1;
        }
    }
    for (std::string_view entry : entries) {
        if (text::SameTextAscii(entry, "<local>")) {
            if (!host.empty() && host.find('.') == std::string_view::npos && host.find(':') == std::string_view::npos)
                return true;
            continue;
        }
        if (text::StartsWithAsciiCI(entry, "http://")) entry.remove_prefix(7);
        else if (text::StartsWithAsciiCI(entry, "https://")) entry.remove_prefix(8);
        // A trailing ":digits" (outside an IPv6 literal's brackets) names a port.
        size_t colon = entry.rfind(':');
        size_t bracket = entry.rfind(']');
        bool hasPort = colon != std::string_view::npos &&
                       (bracket != std::string_view::npos ? bracket < colon : entry.find(':') == colon);
        if (hasPort) {
            std::string_view portText = entry.substr(colon + 1);
            if (portText != "*" && text::StrToIntDef(portText, -1) != port) continue;
            entry = entry.substr(0, colon);
        }
        if (!entry.empty() && WildcardMatch(entry, host)) return true;
    }
    return false;
}

} // namespace platform
