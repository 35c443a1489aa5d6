#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Accounts as configured, before the emulator turns them into service state
// (where the password survives only as a salted digest).
namespace emulator {

struct TreeEntryConfig {
    enum class Kind { Group, Gallery, Collection };
    Kind kind = Kind::Gallery;
    std::vector<std::string> path; // enclosing group titles, then the entry's own title
    std::string caption;
    std::vector<std::string> keywords;
    std::vector<std::int64_t> categories;
};

struct AccountConfig {
    std::string login;
    std::string email;
    std::string password;
    std::string display_name;
    std::string domain;              // empty: <login>.zenfolio.com
    std::optional<std::string> salt; // raw bytes; unset: 16 random bytes
    std::int64_t storage_quota = 20LL * 1024 * 1024 * 1024;
    std::int64_t photo_bytes_quota = 10LL * 1024 * 1024 * 1024;
    std::vector<TreeEntryConfig> tree;
};

// The accounts file format is described in docs/emulator.md. Throws
// std::runtime_error naming the line of the first mistake.
std::vector<AccountConfig> ParseAccounts(std::string_view text);
std::vector<AccountConfig> LoadAccountsFile(const std::string& path);

// The one account served when no accounts file is given.
std::vector<AccountConfig> DemoAccounts();

} // namespace emulator
