#pragma once

#include "emulator/account_config.h"
#include "emulator/service_model.h"

#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace emulator {

// Every account with its tree and received photos. Plain data: the lock that
// guards it lives in ServiceState.
class ServiceData {
  public:
    // Turns configured accounts into service state; each password is replaced
    // by its salted digest and wiped.
    explicit ServiceData(std::vector<AccountConfig> configs);

    // Login names and e-mail addresses are matched without regard to case.
    const Account* FindAccount(std::string_view login_or_email) const;
    const Account* FindAccountByLogin(std::string_view login) const;
    Account* FindAccountByLogin(std::string_view login);
    const Group* FindGroup(std::int64_t id) const;
    Group* FindGroup(std::int64_t id);
    const PhotoSet* FindPhotoSet(std::int64_t id) const;
    PhotoSet* FindPhotoSet(std::int64_t id);
    const std::vector<Account>& Accounts() const { return accounts_; }
    const std::map<std::int64_t, PhotoSet>& PhotoSets() const { return photo_sets_; }

    Group& AddGroup(Group& parent, std::string title, std::string caption, std::string created_on);
    PhotoSet& AddPhotoSet(Group& parent, PhotoSet fields);
    Photo& AddPhoto(PhotoSet& set, Photo photo);
    // Takes the set out of its group with its photos (their bytes leave the
    // owner's count); false when there is no such set.
    bool DeletePhotoSet(std::int64_t id);

  private:
    std::int64_t NextId() { return next_id_++; }
    void BuildTree(Account& account, std::vector<TreeEntryConfig>& tree);
    Group& FindOrAddGroupPath(Group& root, const std::vector<std::string>& path, std::size_t depth);

    // Above 2^32, so that ids cut to 32 bits anywhere in a client show up.
    std::int64_t next_id_ = 4800000001LL;
    std::vector<Account> accounts_;
    std::map<std::int64_t, Group> groups_;
    std::map<std::int64_t, PhotoSet> photo_sets_;
};

// ServiceData behind one mutex; every access runs inside Read or Write.
class ServiceState {
  public:
    explicit ServiceState(std::vector<AccountConfig> configs) : data_(std::move(configs)) {}

    template <typename F> decltype(auto) Read(F&& f) const
    {
        std::lock_guard lock(mutex_);
        return std::forward<F>(f)(std::as_const(data_));
    }
    template <typename F> decltype(auto) Write(F&& f)
    {
        std::lock_guard lock(mutex_);
        return std::forward<F>(f)(data_);
    }

  private:
    mutable std::mutex mutex_;
    ServiceData data_;
};

// The current time as xs:dateTime in UTC, e.g. 2024-03-05T14:03:09Z.
std::string CurrentDateTime();

} // namespace emulator
