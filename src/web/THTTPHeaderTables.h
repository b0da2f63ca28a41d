#pragma once
// The request header's properties in their fixed order: the index of each is
// the property index that THTTPRequestHeader reports through OnChange, and the
// order in which the raw header text lists them.

#include <array>
#include <string_view>

struct THTTPHeaderField {
    std::string_view property; // the property's name
    std::string_view wireName; // the header's name on the wire
};

inline constexpr std::array<THTTPHeaderField, 38> HTTPRequestHeaderFields{{
    {"Accept", "Accept"},
    {"AcceptCharSet", "Accept-Charset"},
    {"AcceptEncoding", "Accept-Encoding"},
    {"AcceptLanguage", "Accept-Language"},
    {"Allow", "Allow"},
    {"Authorization", "Authorization"},
    {"CacheControl", "Cache-Control"},
    {"Connection", "Connection"},
    {"ContentEncoding", "Content-Encoding"},
    {"ContentLanguage", "Content-Language"},
    {"ContentLength", "Content-Length"},
    {"ContentLocation", "Content-Location"},
    {"ContentMD5", "Content-MD5"},
    {"ContentRange", "Content-Range"},
    {"ContentType", "Content-Type"},
    {"Date", "Date"},
    {"Expect", "Expect"},
    {"Expires", "Expires"},
    {"From", "From"},
    {"Host", "Host"},
    {"IfMatch", "If-Match"},
    {"IfModifiedSince", "If-Modified-Since"},
    {"IfNoneMatch", "If-None-Match"},
    {"IfRange", "If-Range"},
    {"IfUnmodifiedSince", "If-Unmodified-Since"},
    {"LastModified", "Last-Modified"},
    {"MaxForwards", "Max-Forwards"},
    {"Pragma", "Pragma"},
    {"ProxyAuthorization", "Proxy-Authorization"},
    {"Range", "Range"},
    {"Referer", "Referer"},
    {"TE", "TE"},
    {"Trailer", "Trailer"},
    {"TransferEncoding", "Transfer-Encoding"},
    {"Upgrade", "Upgrade"},
    {"UserAgent", "User-Agent"},
    {"Via", "Via"},
    {"Warning", "Warning"},
}};
static_assert(HTTPRequestHeaderFields.size() == 38);
