#pragma once
// Items of a tokenized page as short readable lines, so that tests can state
// a whole expected token list at once:
//   TAG NAME KEY="value" ...    a tag and its attributes
//   TEXT "decoded text"         a text run
// Quotes and backslashes inside values are escaped, line feeds shown as \n.

#include "web/THTMLParser.h"

#include <string>
#include <vector>

namespace webtest {

inline std::string Quoted(std::string_view bytes) {
    std::string out = "\"";
    for (char c : bytes) {
        if (c == '"' || c == '\\') out += '\\';
        if (c == '\n') out += "\\n";
        else out += c;
    }
    return out + "\"";
}

inline std::string DumpItem(const web::THTMLItem& item) {
    if (const web::THTMLTag* tag = item.AsTag()) {
        std::string line = "TAG " + std::string(tag->Name());
        for (const web::THTMLParam& param : tag->Params())
            line += " " + std::string(param.Key()) + "=" + Quoted(param.Value());
        return line;
    }
    return "TEXT " + Quoted(item.AsText()->Text());
}

inline std::vector<std::string> Dump(const web::THTMLParser& parser) {
    std::vector<std::string> lines;
    for (const web::THTMLItem* item : parser.Items()) lines.push_back(DumpItem(*item));
    return lines;
}

inline std::vector<std::string> Tokenize(std::string page, const web::THTMLTagSyntax& syntax = {}) {
    web::THTMLParser parser(syntax);
    parser.SetText(std::move(page));
    parser.Execute();
    return Dump(parser);
}

} // namespace webtest
