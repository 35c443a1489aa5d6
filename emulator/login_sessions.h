#pragma once

#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace emulator {

// Outstanding challenges and issued tokens. A challenge belongs to the account
// it was issued for and is spent by the first attempt that presents it,
// whether that attempt succeeds or not.
class LoginSessions {
  public:
    using Clock = std::chrono::steady_clock;

    explicit LoginSessions(std::chrono::seconds token_lifetime) : token_lifetime_(token_lifetime) {}

    // Returns the raw challenge bytes.
    std::string IssueChallenge(const std::string& login);
    // The login the challenge was issued for; nullopt when unknown, spent or stale.
    std::optional<std::string> TakeChallenge(std::string_view challenge);

    std::string IssueToken(const std::string& login);
    // The login behind a live token.
    std::optional<std::string> LoginForToken(std::string_view token) const;

  private:
    struct Entry {
        std::string login;
        Clock::time_point expires;
    };
    static void Purge(std::map<std::string, Entry, std::less<>>& entries, Clock::time_point now);

    static constexpr std::chrono::minutes kChallengeLifetime{10};
    std::chrono::seconds token_lifetime_;
    mutable std::mutex mutex_;
    std::map<std::string, Entry, std::less<>> challenges_;
    std::map<std::string, Entry, std::less<>> tokens_;
};

} // namespace emulator
