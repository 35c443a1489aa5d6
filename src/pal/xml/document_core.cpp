#include "pal/xml/document_core.h"

#include "pal/xml/tree_edit.h"

#include <utility>

namespace pal::xml {

DocumentCore::DocumentCore(DocPtr doc, bool hasDeclaration) : doc_(std::move(doc)), hasDeclaration_(hasDeclaration) {}

DocumentCore::~DocumentCore()
{
    // Detached nodes use their document's dictionary, so they go first.
    for (xmlNodePtr root : detached_)
        xmlFreeNode(root);
}

void DocumentCore::ReplaceTree(DocPtr doc, bool hasDeclaration)
{
    retired_.reserve(retired_.size() + 1);
    for (auto it = detached_.begin(); it != detached_.end();) {
        xmlNodePtr root = *it++;
        CollectIfUnused(root);
    }
    DocPtr old = std::exchange(doc_, std::move(doc));
    hasDeclaration_ = hasDeclaration;
    // Anything still detached has a node object in it.
    if (AnyNodeOf(old.get())) retired_.push_back(std::move(old));
}

void DocumentCore::Retain(xmlNodePtr node)
{
    ++live_[node];
}

void DocumentCore::Release(xmlNodePtr node) noexcept
{
    const auto found = live_.find(node);
    if (found == live_.end()) return;
    if (--found->second == 0) live_.erase(found);
    CollectIfUnused(TopOf(node));
}

void DocumentCore::TrackDetached(xmlNodePtr root)
{
    detached_.insert(root);
}

void DocumentCore::CollectIfUnused(xmlNodePtr root) noexcept
{
    const auto found = detached_.find(root);
    if (found == detached_.end() || AnyNodeInside(root)) return;
    detached_.erase(found);
    xmlFreeNode(root);
}

void DocumentCore::Reattached(xmlNodePtr root) noexcept
{
    detached_.erase(root);
}

bool DocumentCore::AnyNodeInside(xmlNodePtr root) const noexcept
{
    for (const auto& [node, count] : live_)
        if (IsAncestorOrSelf(root, node)) return true;
    return false;
}

bool DocumentCore::AnyNodeOf(xmlDocPtr doc) const noexcept
{
    for (const auto& [node, count] : live_)
        if (node->doc == doc) return true;
    return false;
}

} // namespace pal::xml
