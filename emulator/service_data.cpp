#include "emulator/service_data.h"

#include "emulator/crypto.h"
#include "emulator/text_util.h"

#include <chrono>
#include <ctime>
#include <stdexcept>
#include <tuple>

namespace emulator {
namespace {

// Configured objects predate the run; a fixed date keeps replies repeatable.
constexpr std::string_view kConfiguredOn = "2023-12-01T12:00:00Z";
constexpr std::string_view kUserSince = "2019-04-02T08:30:00Z";

std::pair<std::string, std::string> SplitDisplayName(const std::string& name)
{
    const std::size_t space = name.rfind(' ');
    if (space == std::string::npos) return {name, {}};
    return {name.substr(0, space), name.substr(space + 1)};
}

} // namespace

std::string CurrentDateTime()
{
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

ServiceData::ServiceData(std::vector<AccountConfig> configs)
{
    for (AccountConfig& config : configs) {
        Account account;
        account.login = config.login;
        account.email = config.email;
        account.display_name = config.display_name;
        std::tie(account.first_name, account.last_name) = SplitDisplayName(config.display_name);
        account.domain = config.domain.empty() ? ToLower(config.login) + ".zenfolio.com" : config.domain;
        account.salt = config.salt ? *config.salt : crypto::RandomBytes(16);
        account.password_hash = crypto::Sha256(account.salt, config.password);
        crypto::Wipe(config.password);
        account.storage_quota = config.storage_quota;
        account.photo_bytes_quota = config.photo_bytes_quota;
        account.user_since = std::string(kUserSince);

        Group root;
        root.id = NextId();
        root.owner = account.login;
        root.title = account.display_name;
        root.created_on = account.user_since;
        account.root_group = root.id;
        groups_.emplace(root.id, std::move(root));
        accounts_.push_back(std::move(account));
        BuildTree(accounts_.back(), config.tree);
    }
}

void ServiceData::BuildTree(Account& account, std::vector<TreeEntryConfig>& tree)
{
    Group& root = groups_.at(account.root_group);
    for (TreeEntryConfig& entry : tree) {
        Group& parent = FindOrAddGroupPath(root, entry.path, entry.path.size() - 1);
        if (entry.kind == TreeEntryConfig::Kind::Group) {
            Group& group = FindOrAddGroupPath(parent, {entry.path.back()}, 1);
            group.caption = entry.caption;
            continue;
        }
        PhotoSet set;
        set.type = entry.kind == TreeEntryConfig::Kind::Gallery ? PhotoSetType::Gallery : PhotoSetType::Collection;
        set.title = entry.path.back();
        set.caption = std::move(entry.caption);
        set.keywords = std::move(entry.keywords);
        set.categories = std::move(entry.categories);
        set.created_on = std::string(kConfiguredOn);
        set.modified_on = set.created_on;
        AddPhotoSet(parent, std::move(set));
    }
}

Group& ServiceData::FindOrAddGroupPath(Group& root, const std::vector<std::string>& path, std::size_t depth)
{
    Group* current = &root;
    for (std::size_t i = 0; i < depth; ++i) {
        Group* next = nullptr;
        for (std::int64_t id : current->elements) {
            auto it = groups_.find(id);
            if (it != groups_.end() && it->second.title == path[i]) next = &it->second;
        }
        current = next ? next : &AddGroup(*current, path[i], {}, std::string(kConfiguredOn));
    }
    return *current;
}

const Account* ServiceData::FindAccount(std::string_view login_or_email) const
{
    for (const Account& account : accounts_) {
        if (EqualsIgnoreCase(account.login, login_or_email) ||
            (!account.email.empty() && EqualsIgnoreCase(account.email, login_or_email))) {
            return &account;
        }
    }
    return nullptr;
}

const Account* ServiceData::FindAccountByLogin(std::string_view login) const
{
    for (const Account& account : accounts_) {
        if (EqualsIgnoreCase(account.login, login)) return &account;
    }
    return nullptr;
}

Account* ServiceData::FindAccountByLogin(std::string_view login)
{
    return const_cast<Account*>(std::as_const(*this).FindAccountByLogin(login));
}

const Group* ServiceData::FindGroup(std::int64_t id) const
{
    auto it = groups_.find(id);
    return it == groups_.end() ? nullptr : &it->second;
}

Group* ServiceData::FindGroup(std::int64_t id)
{
    auto it = groups_.find(id);
    return it == groups_.end() ? nullptr : &it->second;
}

const PhotoSet* ServiceData::FindPhotoSet(std::int64_t id) const
{
    auto it = photo_sets_.find(id);
    return it == photo_sets_.end() ? nullptr : &it->second;
}

PhotoSet* ServiceData::FindPhotoSet(std::int64_t id)
{
    auto it = photo_sets_.find(id);
    return it == photo_sets_.end() ? nullptr : &it->second;
}

Group& ServiceData::AddGroup(Group& parent, std::string title, std::string caption, std::string created_on)
{
    Group group;
    group.id = NextId();
    group.parent_id = parent.id;
    group.owner = parent.owner;
    group.title = std::move(title);
    group.caption = std::move(caption);
    group.created_on = std::move(created_on);
    parent.elements.push_back(group.id);
    return groups_.emplace(group.id, std::move(group)).first->second;
}

PhotoSet& ServiceData::AddPhotoSet(Group& parent, PhotoSet fields)
{
    fields.id = NextId();
    fields.group_id = parent.id;
    fields.owner = parent.owner;
    parent.elements.push_back(fields.id);
    return photo_sets_.emplace(fields.id, std::move(fields)).first->second;
}

Photo& ServiceData::AddPhoto(PhotoSet& set, Photo photo)
{
    photo.id = NextId();
    if (Account* owner = FindAccountByLogin(set.owner))
        owner->photo_bytes += static_cast<std::int64_t>(photo.bytes.size());
    set.modified_on = photo.uploaded_on;
    set.photos.push_back(std::move(photo));
    return set.photos.back();
}

bool ServiceData::DeletePhotoSet(std::int64_t id)
{
    const auto it = photo_sets_.find(id);
    if (it == photo_sets_.end()) return false;
    const PhotoSet& set = it->second;
    if (Group* parent = FindGroup(set.group_id)) std::erase(parent->elements, id);
    if (Account* owner = FindAccountByLogin(set.owner)) {
        for (const Photo& photo : set.photos)
            owner->photo_bytes -= static_cast<std::int64_t>(photo.bytes.size());
    }
    photo_sets_.erase(it);
    return true;
}

} // namespace emulator
