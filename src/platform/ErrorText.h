#pragma once
// The one place where the causes of failures become the words of the
// program's messages: errno values of file operations, libcurl's codes and
// HTTP statuses. Each text is the cause in Russian, with the technical code
// after it in parentheses, ready to follow "...: " in a message.

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

// "не удаётся установить соединение (libcurl 7)"; an unknown code gets
// general words.
std::string CurlErrorText(int code);
// The HTTP service could not be started; an address it cannot send to.
std::string NoHttpServiceText();
std::string BadAddressText();
// A server that was reached but answered with something that is no HTTP
// response: "ответ не по протоколу HTTP (libcurl 1)".
std::string NotHttpText(int code);
// Silence for `ms` milliseconds: "нет ответа за 30 с".
std::string NoAnswerText(long ms);
// A body cut off at `bytes`: "страница больше 64 МБ".
std::string TooLongText(size_t bytes);

// "404 — страница не найдена", with the reason phrase the server gave
// in parentheses when it has one.
std::string HttpStatusText(long status, std::string_view reason);

// A file's name as the messages quote it.
std::string QuotedFile(const std::filesystem::path& file);
// A file that could not be read: "Файл «...» не прочитан: " and the cause.
std::string NotReadText(const std::filesystem::path& file, int err);

} // namespace platform
