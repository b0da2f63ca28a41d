#include "platform/ErrorText.h"

#include "platform/ErrorTextTables.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstring>

namespace platform {
namespace {

template <class Table>
const errortext::TCodeWords* Find(const Table& table, int code) {
    const auto found = std::find_if(table.begin(), table.end(), [code](const auto& row) { return row.Code == code; });
    return found == table.end() ? nullptr : &*found;
}

// Seconds with one decimal where they are not whole, in the Russian way.
std::string Seconds(long ms) {
    ms = std::max(ms, 0L);
    std::string text = std::to_string(ms / 1000);
    if (const long tenths = (ms % 1000 + 50) / 100; tenths > 0 && tenths < 10) text += "," + std::to_string(tenths);
    return text + " с";
}

// libcurl's code as the messages show it after their words.
std::string CurlCode(int code) { return " (код libcurl " + std::to_string(code) + ")"; }

std::string Kilobytes(size_t bytes) {
    return bytes % 1024 == 0 ? std::to_string(bytes / 1024) + " КБ" : std::to_string(bytes) + " байт";
}

} // namespace

std::string ErrnoText(int err) {
    const char* name = ::strerrorname_np(err);
    const std::string detail = name ? std::string(name) : "код errno " + std::to_string(err);
    const errortext::TCodeWords* row = Find(errortext::ErrnoWords, err);
    return std::string(row ? row->Words : "системная ошибка") + " (" + detail + ")";
}

std::string ErrnoText(const std::error_code& ec) {
    if (ec.category() == std::generic_category() || ec.category() == std::system_category()) return ErrnoText(ec.value());
    return "системная ошибка (" + std::to_string(ec.value()) + ")";
}

std::string CurlErrorText(int code) {
    const errortext::TCodeWords* row = Find(errortext::CurlWords, code);
    return std::string(row ? row->Words : "сбой сети") + CurlCode(code);
}

std::string NoHttpServiceText() { return CurlErrorText(CURLE_FAILED_INIT); }

std::string BadAddressText() { return CurlErrorText(CURLE_URL_MALFORMAT); }

std::string NotHttpText(int code) { return "ответ не по протоколу HTTP" + CurlCode(code); }

std::string NoAnswerText(long ms) { return "нет ответа за " + Seconds(ms); }

std::string NoConnectionText(long ms, int code) { return NoAnswerText(ms) + CurlCode(code); }

std::string TooLongText(size_t bytes) {
    const size_t mb = bytes >> 20;
    return mb > 0 ? "страница больше " + std::to_string(mb) + " МБ"
                  : "страница больше " + std::to_string(bytes) + " байт";
}

std::string LongHeaderText(size_t bytes, bool oneLine) {
    return std::string(oneLine ? "строка заголовка ответа" : "заголовок ответа") + " длиннее " + Kilobytes(bytes);
}

std::string SlowHeaderText(long ms) { return "заголовок ответа не пришёл целиком за " + Seconds(ms); }

std::string ConflictingLengthText(std::string_view first, std::string_view second) {
    return "в ответе две разные длины страницы (Content-Length " + std::string(first) + " и " + std::string(second) +
           ")";
}

std::string UnreadableLengthText(std::string_view value) {
    // A server's bytes: only a line's worth of them is quoted.
    const std::string_view shown = text::TakeCodePoints(value, 40);
    return "длина страницы в ответе не читается (Content-Length «" + std::string(shown) +
           (shown.size() < value.size() ? "…" : "") + "»)";
}

std::string RedirectNotHttpText(std::string_view scheme) {
    return "перенаправление на адрес не по протоколу HTTP («" + std::string(scheme) + ":…»)";
}

std::string HttpStatusText(long status, std::string_view reason) {
    const errortext::TCodeWords* row = Find(errortext::StatusWords, int(status));
    if (!row) row = Find(errortext::StatusWords, int(status / 100 * 100));
    std::string text = std::to_string(status) + " — " + std::string(row ? row->Words : "неожиданный ответ");
    if (!reason.empty()) text += " (" + std::string(reason) + ")";
    return text;
}

std::string XmlParseErrorText(int status, uint64_t byte, uint64_t fileSize) {
    const errortext::TCodeWords* row = Find(errortext::XmlParseWords, status);
    const std::string words = row ? std::string(row->Words) : "ошибка разбора (код pugixml " + std::to_string(status) + ")";
    // A file without any element has no place to point at.
    if (status == errortext::XmlNoDocumentElement) return words;
    const uint64_t place = std::min(byte + 1, std::max<uint64_t>(fileSize, 1));
    return "разметка XML нарушена у байта " + std::to_string(place) + ": " + words;
}

std::string QuotedFile(const std::filesystem::path& file) { return "«" + file.string() + "»"; }

std::string NotReadText(const std::filesystem::path& file, int err) {
    return "Файл " + QuotedFile(file) + " не прочитан: " + ErrnoText(err);
}

} // namespace platform
