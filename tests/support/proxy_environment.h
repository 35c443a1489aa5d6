// Clears the proxy variables (and the layer's script URL variable) for a test
// and puts the caller's values back after.
#pragma once

#include <array>
#include <cstdlib>
#include <optional>
#include <string>

namespace testing_support {

class ProxyEnvironment {
  public:
    ProxyEnvironment()
    {
        for (std::size_t i = 0; i < kNames.size(); ++i) {
            if (const char* value = std::getenv(kNames[i])) saved_[i] = value;
            unsetenv(kNames[i]);
        }
    }
    ~ProxyEnvironment()
    {
        for (std::size_t i = 0; i < kNames.size(); ++i) {
            if (saved_[i]) {
                setenv(kNames[i], saved_[i]->c_str(), 1);
            } else {
                unsetenv(kNames[i]);
            }
        }
    }
    ProxyEnvironment(const ProxyEnvironment&) = delete;
    ProxyEnvironment& operator=(const ProxyEnvironment&) = delete;

    void Set(const char* name, const std::string& value) { setenv(name, value.c_str(), 1); }

  private:
    static constexpr std::array<const char*, 9> kNames = {"http_proxy",  "HTTP_PROXY", "https_proxy",
                                                          "HTTPS_PROXY", "no_proxy",   "NO_PROXY",
                                                          "all_proxy",   "ALL_PROXY",  "ORVANA_AUTOCONFIG_URL"};
    std::array<std::optional<std::string>, kNames.size()> saved_;
};

} // namespace testing_support
