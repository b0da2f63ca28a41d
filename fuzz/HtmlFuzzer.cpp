// libFuzzer target: the HTML tokenizer and the tag queries over any page.
// Every query must hold up on whatever the tokenizer makes of the bytes.
#include "FuzzSupport.h"

#include "web/THTMLTag.h"
#include "web/THTMLText.h"
#include "web/TFindTags.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    web::TFindTags finder;
    finder.SetHTML(fuzzsupport::Text(data, size));
    for (const web::THTMLTag* tag : finder.FindTags("a", web::TFindTags::IsHttpLink)) {
        (void)web::TFindTags::GetParamValue(tag, "href");
        (void)finder.TextAfter(*tag);
        (void)finder.TextBefore(*tag);
    }
    const auto all = finder.FindTags("*");
    for (const web::THTMLTag* tag : all) {
        const web::THTMLItem* after = finder.ItemAfter(*tag);
        if (after && finder.ItemBefore(*after) != tag) std::abort();
    }
    (void)finder.FindFirstTag("meta", web::TFindTags::IsCharsetMeta);
    (void)finder.FindTagsInForm("input", {}, "form");
    (void)finder.HTML();
    return 0;
}
