#pragma once
// The causes of failures as the user reads them: errno values of file
// operations, libcurl's result codes and HTTP status codes, each with the
// words the program's messages use. ErrorText.cpp is their only reader.

#include <curl/curl.h>

#include <array>
#include <cerrno>
#include <string_view>

namespace platform::errortext {

struct TCodeWords {
    int Code;
    std::string_view Words;
};

// errno values of the file operations the program makes.
inline constexpr std::array ErrnoWords{
    TCodeWords{EACCES, "нет прав доступа"},
    TCodeWords{EPERM, "нет прав доступа"},
    TCodeWords{EROFS, "диск доступен только для чтения"},
    TCodeWords{ENOSPC, "на диске нет места"},
    TCodeWords{EDQUOT, "исчерпана дисковая квота"},
    TCodeWords{ENOENT, "нет такого файла или папки"},
    TCodeWords{ENOTDIR, "часть пути не является папкой"},
    TCodeWords{EISDIR, "это папка, а не файл"},
    TCodeWords{EEXIST, "такой файл уже есть"},
    TCodeWords{ENAMETOOLONG, "слишком длинное имя файла"},
    TCodeWords{ELOOP, "слишком много символических ссылок"},
    TCodeWords{EIO, "ошибка чтения или записи диска"},
    TCodeWords{EFBIG, "файл слишком велик"},
    TCodeWords{EMFILE, "открыто слишком много файлов"},
    TCodeWords{ENFILE, "открыто слишком много файлов"},
    TCodeWords{ENOMEM, "не хватает памяти"},
    TCodeWords{EBUSY, "файл занят другой программой"},
    TCodeWords{ETXTBSY, "файл занят другой программой"},
    TCodeWords{EXDEV, "файл лежит на другом диске"},
};

// libcurl's result codes that a GET can end with. A time-out, a page over
// the size limit and a transfer given up for silence are worded by the
// caller, who knows the limits.
inline constexpr std::array CurlWords{
    TCodeWords{CURLE_COULDNT_RESOLVE_HOST, "такое имя сервера не найдено"},
    TCodeWords{CURLE_COULDNT_RESOLVE_PROXY, "такое имя прокси-сервера не найдено"},
    TCodeWords{CURLE_COULDNT_CONNECT, "не удаётся установить соединение"},
    TCodeWords{CURLE_GOT_NOTHING, "соединение закрыто без ответа"},
    TCodeWords{CURLE_RECV_ERROR, "соединение прервано"},
    TCodeWords{CURLE_SEND_ERROR, "соединение прервано"},
    TCodeWords{CURLE_PARTIAL_FILE, "страница пришла не полностью"},
    TCodeWords{CURLE_WEIRD_SERVER_REPLY, "непонятный ответ"},
    TCodeWords{CURLE_TOO_MANY_REDIRECTS, "слишком много перенаправлений"},
    TCodeWords{CURLE_SSL_CONNECT_ERROR, "не удаётся установить защищённое соединение"},
    TCodeWords{CURLE_PEER_FAILED_VERIFICATION, "сертификат сервера не прошёл проверку"},
    TCodeWords{CURLE_UNSUPPORTED_PROTOCOL, "адрес такого вида не поддерживается"},
    TCodeWords{CURLE_URL_MALFORMAT, "неверный адрес"},
    TCodeWords{CURLE_OUT_OF_MEMORY, "не хватает памяти"},
    TCodeWords{CURLE_FAILED_INIT, "служба HTTP не запускается"},
#if LIBCURL_VERSION_NUM >= 0x074900
    TCodeWords{CURLE_PROXY, "прокси-сервер отказал в соединении"},
#endif
};

// HTTP statuses a server or a proxy answers with; other statuses take the
// words of their hundred (Code 400, 500).
inline constexpr std::array StatusWords{
    TCodeWords{401, "нужны имя и пароль"},
    TCodeWords{403, "доступ запрещён"},
    TCodeWords{404, "страница не найдена"},
    TCodeWords{407, "прокси-сервер требует имя и пароль"},
    TCodeWords{408, "сервер не дождался запроса"},
    TCodeWords{410, "страница удалена"},
    TCodeWords{429, "слишком много запросов"},
    TCodeWords{502, "шлюз получил неверный ответ"},
    TCodeWords{503, "сервис временно недоступен"},
    TCodeWords{504, "шлюз не дождался ответа"},
    TCodeWords{300, "перенаправление не выполнено"},
    TCodeWords{400, "запрос отклонён"},
    TCodeWords{500, "внутренняя ошибка сервера"},
};

} // namespace platform::errortext
