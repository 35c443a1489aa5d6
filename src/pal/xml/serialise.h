// The xml and text properties of a node, as UTF-8.
#pragma once

#include <libxml/tree.h>
#include <string>

namespace pal::xml {

// A document gives "<?xml version="1.0"?>" (and standalone when it had one)
// if its text opened with a declaration, then each top-level node followed
// by CR LF. The declaration never names an encoding: the result is a Unicode
// string, whatever the source said. An element carries the declarations of
// every namespace it uses, so its text parses on its own. Markup characters
// in text and attribute values come out as entity references.
std::string NodeXml(xmlNodePtr node, bool hasDeclaration);

// The concatenated text of the node's subtree (no white-space normalisation).
std::string NodeText(xmlNodePtr node);

} // namespace pal::xml
