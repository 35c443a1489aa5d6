// Turning loadXML's text into a libxml2 tree, safely: no network, no external
// DTD, no entities from outside.
#pragma once

#include "libxml_ptr.h"

#include <string_view>

namespace pal::xml {

struct ParsedDocument {
    DocPtr doc;            // null when the text does not parse
    bool hasDeclaration{}; // the text opened with an XML declaration
};

// The text is already Unicode, so an encoding named in its declaration is
// ignored. Without preserveWhiteSpace, blank text between elements is dropped.
ParsedDocument ParseDocument(std::string_view utf8, bool preserveWhiteSpace);

DocPtr NewEmptyDocument();

} // namespace pal::xml
