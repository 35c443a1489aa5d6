// Tree surgery libxml2 leaves to its caller: namespace references that must
// survive a node changing place, and linking without text-node merging.
#pragma once

#include <libxml/tree.h>

namespace pal::xml {

// The node at the top of node's tree: the document, or the root of a subtree
// that is not (or no longer) part of one. An attribute's element counts as its parent.
xmlNodePtr TopOf(xmlNodePtr node) noexcept;
bool IsAncestorOrSelf(xmlNodePtr ancestor, xmlNodePtr node) noexcept;

// libxml2 nodes point at the declaration that binds their namespace, which may
// sit on an ancestor. Before root leaves its place, every such declaration
// outside root is repeated on root, so the subtree stays whole when the
// ancestor goes.
void DeclareNamespacesOnRoot(xmlNodePtr root);

// After root has been linked under its new parent: declarations on root that
// the new scope already makes (same prefix, same URI) are dropped again, so a
// moved or cloned element serialises as if written there.
void DropRedundantDeclarations(xmlNodePtr root) noexcept;

// Links an unlinked child after parent's last child. xmlAddChild would merge a
// text child into a neighbouring text node and free it, under a node object
// that still points at it.
void LinkLastChild(xmlNodePtr parent, xmlNodePtr child) noexcept;

} // namespace pal::xml
