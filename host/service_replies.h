// The service's profile and group hierarchy replies as the host reads them:
// the fields a person wants to see, and the galleries an account can upload to.
#pragma once

#include "pal/xml/msxml.h"

#include <cstdint>
#include <string>
#include <vector>

namespace host {

struct ServiceProfile {
    std::string loginName;
    std::string displayName;
    std::int64_t photoBytesQuota = 0;
    std::string domainName;
};

enum class ServiceNodeKind { Group, Gallery, Collection };

struct ServiceNode {
    ServiceNodeKind kind = ServiceNodeKind::Group;
    std::string id;
    std::string title;
    std::string uploadUrl; // galleries only
    std::vector<ServiceNode> children;
};

// From a LoadPrivateProfile result element; absent fields stay empty (the
// quota 0). Throws std::runtime_error when the reply is not a profile.
ServiceProfile ReadProfile(IXMLDOMNode* result);
// From a LoadGroupHierarchy result element: the root group and everything
// under it in display order.
ServiceNode ReadHierarchy(IXMLDOMNode* result);

// The galleries of the tree, depth first in display order.
std::vector<const ServiceNode*> Galleries(const ServiceNode& root);

const char* KindName(ServiceNodeKind kind);
// "Login name:   demo" lines.
std::string FormatProfile(const ServiceProfile& profile);
// One line per node, two spaces deeper per level:
// "Gallery  Kyoto in Autumn  [4800000003]  http://up…/upload.ushx".
std::string FormatHierarchy(const ServiceNode& root);

} // namespace host
