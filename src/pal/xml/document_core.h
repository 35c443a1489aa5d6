// What a document and all its node objects share: the tree, the one mutex
// that guards it, the document's properties, and the bookkeeping that keeps
// unlinked subtrees alive exactly as long as a node object points into them.
#pragma once

#include "libxml_ptr.h"
#include "selection_namespaces.h"

#include <mutex>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace pal::xml {

struct DocumentSettings {
    bool async = true;
    bool validateOnParse = true;
    bool resolveExternals = false;
    bool preserveWhiteSpace = false;
    std::u16string selectionNamespaces; // as last set, for getProperty
    std::vector<NamespaceBinding> bindings;
};

// Every member but Mutex() expects the caller to hold the mutex. It is
// recursive because node objects register and unregister themselves, which
// can happen inside a call that already holds it.
class DocumentCore {
  public:
    explicit DocumentCore(DocPtr doc, bool hasDeclaration = false);
    ~DocumentCore();
    DocumentCore(const DocumentCore&) = delete;
    DocumentCore& operator=(const DocumentCore&) = delete;

    std::recursive_mutex& Mutex() noexcept { return mutex_; }

    xmlDocPtr Doc() const noexcept { return doc_.get(); }
    bool HasDeclaration() const noexcept { return hasDeclaration_; }
    // Node objects may still point into the old tree; it then stays until the
    // core goes, otherwise it is freed at once.
    void ReplaceTree(DocPtr doc, bool hasDeclaration);

    DocumentSettings& Settings() noexcept { return settings_; }

    // Node objects count themselves here for as long as they live.
    void Retain(xmlNodePtr node);
    void Release(xmlNodePtr node) noexcept;

    // root was just unlinked or made (a clone): it is kept from now on and
    // freed when no node object points into it any more.
    void TrackDetached(xmlNodePtr root);
    // Frees a tracked subtree at once if no node object points into it.
    void CollectIfUnused(xmlNodePtr root) noexcept;
    // A tracked subtree root that has been linked into a tree again.
    void Reattached(xmlNodePtr root) noexcept;

  private:
    bool AnyNodeInside(xmlNodePtr root) const noexcept;
    bool AnyNodeOf(xmlDocPtr doc) const noexcept;

    std::recursive_mutex mutex_;
    DocPtr doc_;
    bool hasDeclaration_;
    std::vector<DocPtr> retired_;
    DocumentSettings settings_;
    std::unordered_map<xmlNodePtr, unsigned> live_;
    std::set<xmlNodePtr> detached_;
};

} // namespace pal::xml
