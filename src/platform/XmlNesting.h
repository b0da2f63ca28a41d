#pragma once
// How deep an XML document nests, measured without recursion, so that the
// readers of the program's XML files can refuse a file before their own
// work on it grows with its depth.

#include <pugixml.hpp>

namespace platform {

// True when some node of `document` lies more than `limit` levels below it
// (its top-level nodes are level 1).
bool XmlNestedDeeperThan(const pugi::xml_document& document, int limit);

} // namespace platform
