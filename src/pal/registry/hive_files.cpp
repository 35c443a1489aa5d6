#include "pal/registry/hive_files.h"

#include "pal/base/prefix.h"
#include "pal/registry/status.h"

#include <map>
#include <mutex>
#include <string>

namespace pal::registry {

namespace {

struct OpenHives {
    std::mutex mutex;
    std::map<std::string, std::shared_ptr<Hive>> byFile;
};

std::shared_ptr<Hive> HiveFile(const char* name)
{
    const std::filesystem::path directory = PrefixDirectory() / "registry";
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error) Fail(ERROR_CANTOPEN);
    const std::string file = (directory / name).string();

    // Never destroyed: handles may still be closed while statics go away.
    static auto* const hives = new OpenHives;
    const std::lock_guard lock(hives->mutex);
    // Drop connections to files that were removed (a prefix that was
    // cleaned away) or that belong to the process this one forked from.
    std::erase_if(hives->byFile, [](const auto& entry) { return !entry.second->IsCurrent(); });
    auto found = hives->byFile.find(file);
    if (found == hives->byFile.end()) found = hives->byFile.emplace(file, std::make_shared<Hive>(file)).first;
    return found->second;
}

} // namespace

std::shared_ptr<Hive> MachineHive()
{
    return HiveFile("machine.db");
}

std::shared_ptr<Hive> UserHive()
{
    return HiveFile("user.db");
}

} // namespace pal::registry
