#include "pal/registry/session.h"

#include "pal/registry/status.h"

#include <unordered_set>

namespace pal::registry {

namespace {

const Name kClassesPath[] = {{"Software", "software"}, {"Classes", "classes"}};

} // namespace

Session::Session(const OpenKey& key, Hive::Mode mode)
    : key_(key), hiveKey_(std::get_if<HiveKey>(&key.key)), classesKey_(std::get_if<ClassesKey>(&key.key))
{
    if (hiveKey_) {
        hive_.emplace(*hiveKey_->hive, mode);
        if (!hive_->Exists(hiveKey_->id)) Fail(ERROR_KEY_DELETED);
        return;
    }
    user_.emplace(*classesKey_->user, mode);
    machine_.emplace(*classesKey_->machine, mode);
    userClasses_ = user_->Find(kRootKey, kClassesPath);
    machineClasses_ = machine_->Find(kRootKey, kClassesPath);
    if (classesKey_->path.empty()) return;
    // A handle lives while any copy it was opened on does.
    const bool alive = (classesKey_->userCopy && user_->Exists(*classesKey_->userCopy)) ||
                       (classesKey_->machineCopy && machine_->Exists(*classesKey_->machineCopy));
    if (!alive) Fail(ERROR_KEY_DELETED);
}

std::vector<Name> Session::ClassesPath(std::span<const Name> below) const
{
    std::vector<Name> path = classesKey_->path;
    path.insert(path.end(), below.begin(), below.end());
    return path;
}

std::vector<Copy> Session::Find(std::span<const Name> below)
{
    std::vector<Copy> copies;
    if (hiveKey_) {
        if (const auto id = hive_->Find(hiveKey_->id, below)) copies.push_back(Copy{&*hive_, *id});
        return copies;
    }
    const std::vector<Name> path = ClassesPath(below);
    if (userClasses_) {
        if (const auto id = user_->Find(*userClasses_, path)) copies.push_back(Copy{&*user_, *id});
    }
    if (machineClasses_) {
        if (const auto id = machine_->Find(*machineClasses_, path)) copies.push_back(Copy{&*machine_, *id});
    }
    return copies;
}

bool Session::IsRoot(std::span<const Name> below) const
{
    if (!below.empty()) return false;
    return hiveKey_ ? hiveKey_->id == kRootKey : classesKey_->path.empty();
}

KeyId Session::MachineClasses()
{
    if (!machineClasses_) {
        bool created = false;
        machineClasses_ = machine_->Create(kRootKey, kClassesPath, created);
    }
    return *machineClasses_;
}

std::vector<Copy> Session::Create(std::span<const Name> below, bool& created)
{
    if (hiveKey_) return {Copy{&*hive_, hive_->Create(hiveKey_->id, below, created)}};

    std::vector<Copy> copies = Find(below);
    if (!copies.empty()) {
        created = false;
        return copies;
    }
    const std::vector<Name> path = ClassesPath(below);
    const std::size_t userDepth = userClasses_ ? user_->Descend(*userClasses_, path).depth : 0;
    const std::size_t machineDepth = machineClasses_ ? machine_->Descend(*machineClasses_, path).depth : 0;
    if (userDepth > 0 && userDepth >= machineDepth) return {Copy{&*user_, user_->Create(*userClasses_, path, created)}};
    return {Copy{&*machine_, machine_->Create(MachineClasses(), path, created)}};
}

Copy Session::ValueTarget()
{
    if (hiveKey_) return Copy{&*hive_, hiveKey_->id};
    if (classesKey_->path.empty()) return Copy{&*machine_, MachineClasses()};
    const std::vector<Copy> copies = Find({});
    if (copies.empty()) Fail(ERROR_KEY_DELETED);
    return copies.front();
}

OpenKey Session::Derive(std::span<const Name> below, std::span<const Copy> copies, LPCWSTR subKey) const
{
    OpenKey derived{HiveKey{}, JoinKeyPath(key_.path, subKey)};
    if (hiveKey_) {
        derived.key = HiveKey{hiveKey_->hive, copies.front().id};
        return derived;
    }
    ClassesKey classes{classesKey_->user, classesKey_->machine, ClassesPath(below), {}, {}};
    for (const Copy& copy : copies)
        (copy.transaction == &*user_ ? classes.userCopy : classes.machineCopy) = copy.id;
    derived.key = std::move(classes);
    return derived;
}

void Session::Commit()
{
    for (auto* transaction : {&hive_, &user_, &machine_}) {
        if (*transaction) (*transaction)->Commit();
    }
}

std::vector<Name> MergeSubkeys(std::span<const Copy> copies)
{
    std::vector<Name> merged;
    std::unordered_set<std::string> seen;
    for (const Copy& copy : copies) {
        for (Name& name : copy.transaction->Subkeys(copy.id)) {
            if (seen.insert(name.folded).second) merged.push_back(std::move(name));
        }
    }
    return merged;
}

std::vector<MergedValue> MergeValues(std::span<const Copy> copies)
{
    std::vector<MergedValue> merged;
    std::unordered_set<std::string> seen;
    for (const Copy& copy : copies) {
        for (ValueInfo& value : copy.transaction->Values(copy.id)) {
            if (seen.insert(value.name.folded).second) merged.push_back(MergedValue{std::move(value), copy});
        }
    }
    return merged;
}

std::optional<Name> SubkeyAt(std::span<const Copy> copies, std::size_t index)
{
    if (copies.empty()) return std::nullopt;
    if (copies.size() == 1) return copies.front().transaction->SubkeyAt(copies.front().id, index);
    auto merged = MergeSubkeys(copies);
    if (index >= merged.size()) return std::nullopt;
    return std::move(merged[index]);
}

std::optional<MergedValue> ValueAt(std::span<const Copy> copies, std::size_t index)
{
    if (copies.empty()) return std::nullopt;
    if (copies.size() == 1) {
        auto value = copies.front().transaction->ValueAt(copies.front().id, index);
        if (!value) return std::nullopt;
        return MergedValue{std::move(*value), copies.front()};
    }
    auto merged = MergeValues(copies);
    if (index >= merged.size()) return std::nullopt;
    return std::move(merged[index]);
}

} // namespace pal::registry
