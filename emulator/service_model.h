#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The service's objects as the emulator keeps them. Ids share one 64-bit
// space across accounts, groups, photo sets and photos, as on the service.
namespace emulator {

enum class PhotoSetType { Gallery, Collection };

struct Photo {
    std::int64_t id = 0;
    std::string file_name;
    std::string modified; // the upload's "modified" text as received
    std::string content_type;
    std::string bytes;
    std::string uploaded_on; // xs:dateTime
};

struct PhotoSet {
    std::int64_t id = 0;
    std::int64_t group_id = 0;
    std::string owner;
    PhotoSetType type = PhotoSetType::Gallery;
    std::string title;
    std::string caption;
    std::vector<std::string> keywords;
    std::vector<std::int64_t> categories;
    std::string custom_reference;
    std::string created_on;
    std::string modified_on;
    std::vector<Photo> photos;
};

struct Group {
    std::int64_t id = 0;
    std::int64_t parent_id = 0; // 0 for an account's root group
    std::string owner;
    std::string title;
    std::string caption;
    std::string created_on;
    // Child groups and photo sets in display order; ids refer to either kind.
    std::vector<std::int64_t> elements;
};

struct Account {
    std::string login;
    std::string email;
    std::string display_name;
    std::string first_name;
    std::string last_name;
    std::string domain;        // e.g. demo.zenfolio.com
    std::string salt;          // raw bytes
    std::string password_hash; // SHA-256(salt, password as UTF-8)
    std::int64_t storage_quota = 0;
    std::int64_t photo_bytes_quota = 0;
    std::int64_t photo_bytes = 0;
    std::int64_t root_group = 0;
    std::string user_since;
};

} // namespace emulator
