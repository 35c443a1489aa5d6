#include "emulator/account_config.h"
#include "emulator/crypto.h"
#include "emulator/text_util.h"

#include <charconv>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>

namespace emulator {
namespace {

bool IsLoginChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           c == '.';
}

std::vector<std::string> SplitPath(std::string_view text)
{
    std::vector<std::string> parts;
    while (true) {
        const std::size_t slash = text.find('/');
        const std::string_view part = Trim(text.substr(0, slash));
        if (part.empty()) throw std::invalid_argument("empty title in path");
        parts.emplace_back(part);
        if (slash == std::string_view::npos) break;
        text.remove_prefix(slash + 1);
    }
    return parts;
}

std::int64_t ParseQuota(std::string_view text)
{
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0) {
        throw std::invalid_argument("not a byte count");
    }
    return value;
}

void Validate(const AccountConfig& account)
{
    if (account.login.empty()) throw std::invalid_argument("account without login");
    if (account.password.empty()) throw std::invalid_argument("account " + account.login + " has no password");
}

} // namespace

std::vector<AccountConfig> ParseAccounts(std::string_view text)
{
    std::vector<AccountConfig> accounts;
    std::set<std::string> names; // logins and e-mails share one namespace
    std::size_t line_number = 0;
    auto finish = [&] {
        if (accounts.empty()) return;
        AccountConfig& account = accounts.back();
        Validate(account);
        if (account.display_name.empty()) account.display_name = account.login;
    };
    try {
        while (!text.empty()) {
            ++line_number;
            const std::size_t end = text.find('\n');
            const std::string_view line = Trim(text.substr(0, end));
            text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
            if (line.empty() || line.front() == '#') continue;
            if (!IsXmlSafeUtf8(line)) throw std::invalid_argument("not UTF-8 text");
            if (line == "[account]") {
                finish();
                accounts.emplace_back();
                continue;
            }
            const std::size_t equals = line.find('=');
            if (equals == std::string_view::npos) throw std::invalid_argument("expected key = value");
            if (accounts.empty()) throw std::invalid_argument("key before the first [account]");
            const std::string_view key = Trim(line.substr(0, equals));
            const std::string_view value = Trim(line.substr(equals + 1));
            AccountConfig& account = accounts.back();
            if (key == "login" || key == "email") {
                if (value.empty()) throw std::invalid_argument(std::string(key) + " is empty");
                if (key == "login") {
                    for (char c : value) {
                        if (!IsLoginChar(c)) throw std::invalid_argument("login may hold letters, digits, - _ .");
                    }
                }
                if (!names.insert(ToLower(value)).second) {
                    throw std::invalid_argument("login or e-mail used twice: " + std::string(value));
                }
                (key == "login" ? account.login : account.email) = std::string(value);
            } else if (key == "password") {
                account.password = std::string(value);
            } else if (key == "display-name") {
                account.display_name = std::string(value);
            } else if (key == "domain") {
                account.domain = std::string(value);
            } else if (key == "storage-quota") {
                account.storage_quota = ParseQuota(value);
            } else if (key == "photo-bytes-quota") {
                account.photo_bytes_quota = ParseQuota(value);
            } else if (key == "salt") {
                auto salt = crypto::Base64Decode(value);
                if (!salt) throw std::invalid_argument("salt is not Base64");
                account.salt = std::move(*salt);
            } else if (key == "group" || key == "gallery" || key == "collection") {
                TreeEntryConfig entry;
                entry.kind = key == "group"     ? TreeEntryConfig::Kind::Group
                             : key == "gallery" ? TreeEntryConfig::Kind::Gallery
                                                : TreeEntryConfig::Kind::Collection;
                entry.path = SplitPath(value);
                account.tree.push_back(std::move(entry));
            } else {
                throw std::invalid_argument("unknown key " + std::string(key));
            }
        }
        line_number = 0;
        finish();
    } catch (const std::invalid_argument& error) {
        const std::string where = line_number > 0 ? "line " + std::to_string(line_number) + ": " : "";
        throw std::runtime_error("accounts file: " + where + error.what());
    }
    if (accounts.empty()) throw std::runtime_error("accounts file: no [account]");
    return accounts;
}

std::vector<AccountConfig> LoadAccountsFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read accounts file " + path);
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    // The text holds passwords; it is wiped however parsing ends.
    struct WipeOnExit {
        std::string& text;
        ~WipeOnExit() { crypto::Wipe(text); }
    } wipe{text};
    return ParseAccounts(text);
}

} // namespace emulator
