#include "web/THTMLItem.h"

#include "web/THTMLTag.h"
#include "web/THTMLText.h"

namespace web {

const THTMLTag* THTMLItem::AsTag() const {
    return IsTag() ? static_cast<const THTMLTag*>(this) : nullptr;
}

const THTMLText* THTMLItem::AsText() const {
    return IsText() ? static_cast<const THTMLText*>(this) : nullptr;
}

} // namespace web
