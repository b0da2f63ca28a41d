#pragma once
// The causes of failures as the user reads them: errno values of file
// operations, libcurl's result codes, HTTP status codes and pugixml's parse
// statuses, each with the words the program's messages use. ErrorText.cpp is
// their only reader.

#include <curl/curl.h>
#include <pugixml.hpp>

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
    // Not the folder's permissions: the file is protected from change (its
    // immutable or append-only flag) or another user's in a shared folder.
    TCodeWords{EPERM, "действие запрещено: файл защищён от изменений или принадлежит другому пользователю"},
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

// pugixml's parse statuses, every one of them (status_ok included, though
// no message is made of it).
inline constexpr int XmlNoDocumentElement = pugi::status_no_document_element;
inline constexpr std::array XmlParseWords{
    TCodeWords{pugi::status_ok, "ошибок нет"},
    TCodeWords{pugi::status_file_not_found, "файл не найден"},
    TCodeWords{pugi::status_io_error, "ошибка чтения файла"},
    TCodeWords{pugi::status_out_of_memory, "не хватает памяти"},
    TCodeWords{pugi::status_internal_error, "внутренняя ошибка разбора XML"},
    TCodeWords{pugi::status_unrecognized_tag, "непонятный тег"},
    TCodeWords{pugi::status_bad_pi, "неверное объявление XML или инструкция обработки"},
    TCodeWords{pugi::status_bad_comment, "неверный комментарий"},
    TCodeWords{pugi::status_bad_cdata, "неверный раздел CDATA"},
    TCodeWords{pugi::status_bad_doctype, "неверное объявление типа документа"},
    TCodeWords{pugi::status_bad_pcdata, "неверный текст между тегами"},
    TCodeWords{pugi::status_bad_start_element, "неверный открывающий тег"},
    TCodeWords{pugi::status_bad_attribute, "неверный атрибут тега"},
    TCodeWords{pugi::status_bad_end_element, "неверный закрывающий тег"},
    TCodeWords{pugi::status_end_element_mismatch, "закрывающий тег не совпадает с открывающим или отсутствует"},
    TCodeWords{pugi::status_append_invalid_root, "недопустимое место для элемента"},
    TCodeWords{pugi::status_no_document_element, "в нём нет ни одного элемента XML"},
};
static_assert(XmlParseWords.size() == pugi::status_no_document_element + 1, "a row for every parse status");

} // namespace platform::errortext
