#include "emulator/login_sessions.h"

#include "emulator/crypto.h"

namespace emulator {

void LoginSessions::Purge(std::map<std::string, Entry, std::less<>>& entries, Clock::time_point now)
{
    std::erase_if(entries, [now](const auto& item) { return item.second.expires <= now; });
}

std::string LoginSessions::IssueChallenge(const std::string& login)
{
    std::string challenge = crypto::RandomBytes(32);
    const auto now = Clock::now();
    std::lock_guard lock(mutex_);
    Purge(challenges_, now);
    challenges_[challenge] = Entry{login, now + kChallengeLifetime};
    return challenge;
}

std::optional<std::string> LoginSessions::TakeChallenge(std::string_view challenge)
{
    std::lock_guard lock(mutex_);
    auto it = challenges_.find(challenge);
    if (it == challenges_.end()) return std::nullopt;
    Entry entry = std::move(it->second);
    challenges_.erase(it);
    if (entry.expires <= Clock::now()) return std::nullopt;
    return std::move(entry.login);
}

std::string LoginSessions::IssueToken(const std::string& login)
{
    std::string token = crypto::Base64Encode(crypto::RandomBytes(48));
    const auto now = Clock::now();
    std::lock_guard lock(mutex_);
    Purge(tokens_, now);
    tokens_[token] = Entry{login, now + token_lifetime_};
    return token;
}

std::optional<std::string> LoginSessions::LoginForToken(std::string_view token) const
{
    std::lock_guard lock(mutex_);
    auto it = tokens_.find(token);
    if (it == tokens_.end() || it->second.expires <= Clock::now()) return std::nullopt;
    return it->second.login;
}

} // namespace emulator
