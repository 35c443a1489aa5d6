#include "host/service_replies.h"

#include "pal/bstr.h"
#include "pal/com_ptr.h"
#include "pal/utf.h"
#include "service/soap_document.h"

#include <charconv>
#include <stdexcept>

namespace host {

namespace {

// A missing field is an empty text: the replies leave out what the account lacks.
std::string Field(IXMLDOMNode* node, const WCHAR* xpath)
{
    pal::Bstr text;
    if (FAILED(orvana::GetNodeText(node, xpath, text.ReleaseAndGetAddressOf()))) return {};
    return pal::ToUtf8(text.View());
}

std::string LocalName(IXMLDOMNode* node)
{
    pal::Bstr name;
    if (FAILED(node->get_nodeName(name.ReleaseAndGetAddressOf()))) return {};
    const std::string text = pal::ToUtf8(name.View());
    const auto colon = text.find(':');
    return colon == std::string::npos ? text : text.substr(colon + 1);
}

ServiceNode ReadNode(IXMLDOMNode* node, ServiceNodeKind kind)
{
    ServiceNode read;
    read.kind = kind;
    read.id = Field(node, W("z:Id"));
    read.title = Field(node, W("z:Title"));
    if (kind != ServiceNodeKind::Group) {
        read.uploadUrl = Field(node, W("z:UploadUrl"));
        return read;
    }
    pal::ComPtr<IXMLDOMNodeList> elements;
    if (FAILED(node->selectNodes(pal::Bstr(W("z:Elements/*")).Get(), elements.ReleaseAndGetAddressOf())) || !elements)
        return read;
    pal::ComPtr<IXMLDOMNode> child;
    while (elements->nextNode(child.ReleaseAndGetAddressOf()) == S_OK && child) {
        const std::string name = LocalName(child.Get());
        if (name == "Group") {
            read.children.push_back(ReadNode(child.Get(), ServiceNodeKind::Group));
        } else if (name == "PhotoSet") {
            const bool collection = Field(child.Get(), W("z:Type")) == "Collection";
            read.children.push_back(
                ReadNode(child.Get(), collection ? ServiceNodeKind::Collection : ServiceNodeKind::Gallery));
        }
    }
    return read;
}

void CollectGalleries(const ServiceNode& node, std::vector<const ServiceNode*>& out)
{
    if (node.kind == ServiceNodeKind::Gallery) out.push_back(&node);
    for (const ServiceNode& child : node.children)
        CollectGalleries(child, out);
}

void FormatNode(const ServiceNode& node, int depth, std::string& out)
{
    out += std::string(static_cast<std::size_t>(depth) * 2, ' ');
    out += KindName(node.kind);
    out += "  " + node.title + "  [" + node.id + "]";
    if (!node.uploadUrl.empty()) out += "  " + node.uploadUrl;
    out += '\n';
    for (const ServiceNode& child : node.children)
        FormatNode(child, depth + 1, out);
}

} // namespace

ServiceProfile ReadProfile(IXMLDOMNode* result)
{
    if (!result) throw std::runtime_error("the service answered no profile");
    ServiceProfile profile;
    profile.loginName = Field(result, W("z:LoginName"));
    profile.displayName = Field(result, W("z:DisplayName"));
    profile.domainName = Field(result, W("z:DomainName"));
    const std::string quota = Field(result, W("z:PhotoBytesQuota"));
    std::from_chars(quota.data(), quota.data() + quota.size(), profile.photoBytesQuota);
    if (profile.loginName.empty()) throw std::runtime_error("the service's profile has no login name");
    return profile;
}

ServiceNode ReadHierarchy(IXMLDOMNode* result)
{
    if (!result) throw std::runtime_error("the service answered no group hierarchy");
    return ReadNode(result, ServiceNodeKind::Group);
}

std::vector<const ServiceNode*> Galleries(const ServiceNode& root)
{
    std::vector<const ServiceNode*> galleries;
    CollectGalleries(root, galleries);
    return galleries;
}

const char* KindName(ServiceNodeKind kind)
{
    switch (kind) {
    case ServiceNodeKind::Group:
        return "Group";
    case ServiceNodeKind::Gallery:
        return "Gallery";
    case ServiceNodeKind::Collection:
        return "Collection";
    }
    return "";
}

std::string FormatProfile(const ServiceProfile& profile)
{
    return "Login name:    " + profile.loginName + "\nDisplay name:  " + profile.displayName +
           "\nPhoto quota:   " + std::to_string(profile.photoBytesQuota) +
           " bytes\nDomain:        " + profile.domainName + "\n";
}

std::string FormatHierarchy(const ServiceNode& root)
{
    std::string text;
    FormatNode(root, 0, text);
    return text;
}

} // namespace host
