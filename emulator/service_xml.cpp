#include "emulator/service_xml.h"

#include "emulator/categories.h"

namespace emulator {
namespace {

std::string TypeName(PhotoSetType type)
{
    return type == PhotoSetType::Gallery ? "Gallery" : "Collection";
}

void WritePhotoFields(XmlWriter& w, const ServiceData& data, const PhotoSet& set, const Photo& photo)
{
    const std::size_t dot = photo.file_name.rfind('.');
    w.Element("Id", photo.id);
    w.Element("Title", std::string_view(photo.file_name).substr(0, dot));
    w.Element("FileName", photo.file_name);
    w.Element("MimeType", photo.content_type);
    w.Element("Size", static_cast<std::int64_t>(photo.bytes.size()));
    w.Element("UploadedOn", photo.uploaded_on);
    w.Element("PageUrl", PageUrl(data, set.owner, set.id) + "/h" + std::to_string(photo.id));
}

} // namespace

std::string UploadUrl(const PhotoSet& set)
{
    return "http://up.zenfolio.com/" + set.owner + "/p" + std::to_string(set.id) + "/upload.ushx";
}

std::string PageUrl(const ServiceData& data, const std::string& owner, std::int64_t id)
{
    const Account* account = data.FindAccountByLogin(owner);
    const std::string domain = account ? account->domain : owner + ".zenfolio.com";
    return "http://" + domain + "/p" + std::to_string(id);
}

void WriteUserFields(XmlWriter& w, const ServiceData& data, const Account& account)
{
    std::int64_t galleries = 0, collections = 0, photos = 0;
    for (const auto& [id, set] : data.PhotoSets()) {
        if (set.owner != account.login) continue;
        (set.type == PhotoSetType::Gallery ? galleries : collections) += 1;
        photos += static_cast<std::int64_t>(set.photos.size());
    }
    w.Element("LoginName", account.login);
    w.Element("DisplayName", account.display_name);
    w.Element("FirstName", account.first_name);
    w.Element("LastName", account.last_name);
    w.Element("PrimaryEmail", account.email);
    w.Element("UserSince", account.user_since);
    w.Element("Views", std::int64_t{0});
    w.Element("GalleryCount", galleries);
    w.Element("CollectionCount", collections);
    w.Element("PhotoCount", photos);
    w.Element("PhotoBytes", account.photo_bytes);
    if (const Group* root = data.FindGroup(account.root_group)) {
        w.Open("RootGroup");
        w.Element("Id", root->id);
        w.Element("Title", root->title);
        w.Close();
    }
    w.Element("DomainName", account.domain);
    w.Element("StorageQuota", account.storage_quota);
    w.Element("PhotoBytesQuota", account.photo_bytes_quota);
}

void WriteGroupFields(XmlWriter& w, const ServiceData& data, const Group& group)
{
    w.Element("Id", group.id);
    w.Element("Owner", group.owner);
    w.Element("Title", group.title);
    w.Element("Caption", group.caption);
    w.Element("CreatedOn", group.created_on);
    w.Element("PageUrl", PageUrl(data, group.owner, group.id));
    w.Open("Elements");
    for (std::int64_t id : group.elements) {
        if (const Group* child = data.FindGroup(id)) {
            w.Open("Group");
            WriteGroupFields(w, data, *child);
            w.Close();
        } else if (const PhotoSet* set = data.FindPhotoSet(id)) {
            w.Open("PhotoSet");
            WritePhotoSetFields(w, data, *set, DetailLevel::Level2, false);
            w.Close();
        }
    }
    w.Close();
}

void WritePhotoSetFields(XmlWriter& w, const ServiceData& data, const PhotoSet& set, DetailLevel level,
                         bool include_photos)
{
    w.Element("Id", set.id);
    w.Element("Owner", set.owner);
    w.Element("Title", set.title);
    w.Element("Type", TypeName(set.type));
    w.Boolean("Hidden", false);
    w.Element("CreatedOn", set.created_on);
    w.Element("PhotoCount", static_cast<std::int64_t>(set.photos.size()));
    w.Element("PageUrl", PageUrl(data, set.owner, set.id));
    if (set.type == PhotoSetType::Gallery) w.Element("UploadUrl", UploadUrl(set));
    if (level == DetailLevel::Level1) return;

    w.Element("Caption", set.caption);
    w.Element("ModifiedOn", set.modified_on);
    w.Open("Keywords");
    for (const std::string& keyword : set.keywords)
        w.Element("Keyword", keyword);
    w.Close();
    w.Open("Categories");
    for (std::int64_t code : set.categories)
        w.Element("Category", code);
    w.Close();
    if (level == DetailLevel::Level2) return;

    w.Element("CustomReference", set.custom_reference);
    std::int64_t bytes = 0;
    for (const Photo& photo : set.photos)
        bytes += static_cast<std::int64_t>(photo.bytes.size());
    w.Element("PhotoBytes", bytes);
    w.Open("AccessDescriptor");
    w.Element("AccessType", "Public");
    w.Close();
    if (!include_photos) return;
    w.Open("Photos");
    for (const Photo& photo : set.photos) {
        w.Open("Photo");
        WritePhotoFields(w, data, set, photo);
        w.Close();
    }
    w.Close();
}

void WriteCategories(XmlWriter& w)
{
    for (const Category& category : Categories()) {
        w.Open("Category");
        w.Element("Code", category.code);
        w.Element("DisplayName", category.display_name);
        w.Close();
    }
}

} // namespace emulator
