#include "platform/HostName.h"

#include <algorithm>
#include <string>

namespace platform {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool AllDigits(std::string_view s) { return !s.empty() && std::all_of(s.begin(), s.end(), IsDigit); }

bool IsIPv4(std::string_view text) {
    int parts = 0;
    while (true) {
        const size_t dot = text.find('.');
        const std::string_view part = text.substr(0, dot);
        if (!AllDigits(part) || part.size() > 3 || std::stoi(std::string(part)) > 255) return false;
        ++parts;
        if (dot == std::string_view::npos) break;
        text.remove_prefix(dot + 1);
    }
    return parts == 4;
}

bool IsLabel(std::string_view label) {
    if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-') return false;
    return std::all_of(label.begin(), label.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u >= 0x80 || IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-';
    });
}

} // namespace

bool IsHostName(std::string_view text) {
    if (text.empty() || text.size() > 253) return false;
    // Digits and dots alone can only be an address: "1.9990" is no name.
    if (std::all_of(text.begin(), text.end(), [](char c) { return IsDigit(c) || c == '.'; })) return IsIPv4(text);
    if (text.back() == '.') text.remove_suffix(1);
    std::string_view last;
    while (true) {
        const size_t dot = text.find('.');
        last = text.substr(0, dot);
        if (!IsLabel(last)) return false;
        if (dot == std::string_view::npos) break;
        text.remove_prefix(dot + 1);
    }
    return !AllDigits(last);
}

bool IsServerAddress(std::string_view text) {
    const size_t colon = text.rfind(':');
    if (colon == std::string_view::npos) return IsHostName(text);
    const std::string_view port = text.substr(colon + 1);
    if (!AllDigits(port) || port.size() > 5) return false;
    const int value = std::stoi(std::string(port));
    return value >= 1 && value <= 65535 && IsHostName(text.substr(0, colon));
}

std::string ServerAddressProblem(std::string_view text) {
    if (IsServerAddress(text)) return {};
    return "Имя сервера «" + std::string(text) +
           "» не годится: нужно имя сайта или IP-адрес, при необходимости с портом через двоеточие.";
}

} // namespace platform
