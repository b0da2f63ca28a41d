#pragma once
// The per-site switches of the local site.

#include <cstdint>

namespace testsupport {

// The two page layouts of the dating site. The new one announces itself on
// the home page with a register button of class "register-button".
enum class SiteLayout : uint8_t { Old, New };

// How the site's HTML pages are encoded (WAP pages and the hosting's
// "page not found" pages are always UTF-8).
enum class SiteEncoding : uint8_t {
    Cp1251,     // windows-1251, no charset anywhere (the site's usual pages)
    Cp1251Meta, // windows-1251 with a charset meta saying so
    Utf8,       // UTF-8 with a charset meta saying "utf-8"
};

// What "/search_ext.phtml" answers.
enum class SiteCarPage : uint8_t {
    Makes,           // the extended-search form with the car-make list
    NotFoundText,    // status 200, a page reading "Страница не найдена"
    FreeAddressText, // status 200, a parked-domain page reading "Этот адрес свободен"
    Missing,         // status 404
};

} // namespace testsupport
