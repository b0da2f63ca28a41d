// vtool tokenize FILE [--count]: the tokenizer's view of a page, one line per
// item, for checking what the search engine will see.
#include "Command.h"

#include "platform/Text.h"
#include "web/THTMLParser.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace {

// Bytes as printable text: backslash, quote and control bytes escaped, so
// that every item stays on one line and its quotes can be told apart.
std::string Escaped(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (unsigned char c : bytes) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char hex[5];
                std::snprintf(hex, sizeof hex, "\\x%02X", c);
                out += hex;
            } else {
                out.push_back(static_cast<char>(c));
            }
        }
    }
    return out;
}

int Tokenize(const vtool::Args& args) {
    const auto files = vtool::Positional(args, {});
    if (files.size() != 1) {
        std::fprintf(stderr, "usage: vtool tokenize FILE [--count]\n");
        return 2;
    }
    std::error_code ec;
    if (std::filesystem::is_directory(files[0], ec)) {
        std::fprintf(stderr, "vtool tokenize: %s is a folder, not a file\n", files[0].c_str());
        return 1;
    }
    std::ifstream in(files[0], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "vtool tokenize: cannot read %s\n", files[0].c_str());
        return 1;
    }
    std::string page((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        std::fprintf(stderr, "vtool tokenize: cannot read %s\n", files[0].c_str());
        return 1;
    }

    // Pages are parsed as UTF-8; a file that is not (a page saved as the site
    // serves it) is read as windows-1251, as the program converts it.
    web::THTMLParser parser;
    parser.SetText(text::Utf8OrCp1251ToUtf8(page));
    parser.Execute();

    if (vtool::HasFlag(args, "--count")) {
        size_t tags = 0;
        for (const web::THTMLItem* item : parser.Items()) tags += item->IsTag() ? 1 : 0;
        std::printf("tags %zu texts %zu\n", tags, parser.Items().size() - tags);
        return 0;
    }

    std::string line;
    for (const web::THTMLItem* item : parser.Items()) {
        if (const web::THTMLTag* tag = item->AsTag()) {
            line = "TAG " + Escaped(tag->Name());
            for (const web::THTMLParam& param : tag->Params())
                line += " " + Escaped(param.Key()) + "=\"" + Escaped(param.Value()) + "\"";
        } else {
            line = "TEXT \"" + Escaped(item->AsText()->Text()) + "\"";
        }
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    return std::ferror(stdout) ? 1 : 0;
}

const vtool::Register reg("tokenize", "FILE [--count]   print the page's tags and texts in order", Tokenize);

} // namespace
