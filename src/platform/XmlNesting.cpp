#include "platform/XmlNesting.h"

namespace platform {

bool XmlNestedDeeperThan(const pugi::xml_document& document, int limit) {
    int depth = 1;
    pugi::xml_node node = document.first_child();
    while (node) {
        if (depth > limit) return true;
        if (const pugi::xml_node child = node.first_child()) {
            node = child;
            ++depth;
            continue;
        }
        // Up to the nearest ancestor with a next sibling; none ends the walk.
        while (node && !node.next_sibling()) {
            node = node.parent();
            --depth;
        }
        if (node) node = node.next_sibling();
    }
    return false;
}

} // namespace platform
