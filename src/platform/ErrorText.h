#pragma once
// The one place where the causes of failures become the words of the
// program's messages: errno values of file operations, libcurl's codes,
// HTTP statuses and the XML parser's statuses. Each text is the cause in
// Russian, with the technical code after it in parentheses where it helps,
// ready to follow "...: " in a message.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace platform {

// "диск доступен только для чтения (EROFS)"; an unknown value gets general
// words and its number.
std::string ErrnoText(int err);
// The same for an error code of the standard library's file operations.
std::string ErrnoText(const std::error_code& ec);

// "не удаётся установить соединение (код libcurl 7)"; an unknown code gets
// general words.
std::string CurlErrorText(int code);
// The HTTP service could not be started; an address it cannot send to.
std::string NoHttpServiceText();
std::string BadAddressText();
// A server that was reached but answered with something that is no HTTP
// response: "ответ не по протоколу HTTP (код libcurl 1)".
std::string NotHttpText(int code);
// Silence for `ms` milliseconds: "нет ответа за 30 с".
std::string NoAnswerText(long ms);
// The connection not made within `ms` milliseconds, with libcurl's code.
std::string NoConnectionText(long ms, int code);
// A body cut off at `bytes`: "страница больше 64 МБ".
std::string TooLongText(size_t bytes);
// A response head over `bytes`, in one line or in all: "строка заголовка
// ответа длиннее 100 КБ".
std::string LongHeaderText(size_t bytes, bool oneLine);
// A response head that began but did not end within `ms` milliseconds.
std::string SlowHeaderText(long ms);
// Two Content-Length values that differ: the page's length is unknown.
std::string ConflictingLengthText(std::string_view first, std::string_view second);
// A Content-Length that is no plain decimal length ("0x100", "1e3", 2^63):
// "длина страницы в ответе не читается (Content-Length «0x100»)".
std::string UnreadableLengthText(std::string_view value);
// A redirect to an address of another scheme ("file"), never followed.
std::string RedirectNotHttpText(std::string_view scheme);

// "404 — страница не найдена", with the reason phrase the server gave
// in parentheses when it has one.
std::string HttpStatusText(long status, std::string_view reason);

// What is wrong with XML that did not parse (pugixml's status), with the
// place: "разметка XML нарушена у байта 29: закрывающий тег не совпадает с
// открывающим". `byte` is the 0-based offset in the file itself; the place
// told counts from 1 and never lies past `fileSize`.
std::string XmlParseErrorText(int status, uint64_t byte, uint64_t fileSize);

// A file's name as the messages quote it.
std::string QuotedFile(const std::filesystem::path& file);
// A file that could not be read: "Файл «...» не прочитан: " and the cause.
std::string NotReadText(const std::filesystem::path& file, int err);

} // namespace platform
