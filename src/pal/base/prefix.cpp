#include "pal/base/prefix.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace pal {

namespace {
std::filesystem::path DefaultPrefix()
{
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) return std::filesystem::path(data) / "orvana";
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        const passwd* entry = getpwuid(getuid());
        home = entry ? entry->pw_dir : "/tmp";
    }
    return std::filesystem::path(home) / ".local" / "share" / "orvana";
}
} // namespace

std::filesystem::path PrefixDirectory()
{
    const char* configured = std::getenv("ORVANA_PREFIX");
    std::filesystem::path prefix = configured && *configured ? std::filesystem::path(configured) : DefaultPrefix();
    std::error_code ignored;
    std::filesystem::create_directories(prefix, ignored);
    return prefix;
}

} // namespace pal
