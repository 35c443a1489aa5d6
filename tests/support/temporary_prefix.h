// A fresh platform prefix for one test: ORVANA_PREFIX points at a new
// temporary directory for the fixture's life, and the directory goes after.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace testing_support {

class TemporaryPrefix {
  public:
    TemporaryPrefix()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "orvana-test-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
        if (const char* old = std::getenv("ORVANA_PREFIX")) previous_ = old;
        setenv("ORVANA_PREFIX", path_.c_str(), 1);
    }
    ~TemporaryPrefix()
    {
        if (previous_.empty()) {
            unsetenv("ORVANA_PREFIX");
        } else {
            setenv("ORVANA_PREFIX", previous_.c_str(), 1);
        }
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TemporaryPrefix(const TemporaryPrefix&) = delete;
    TemporaryPrefix& operator=(const TemporaryPrefix&) = delete;

    const std::filesystem::path& Path() const { return path_; }

  private:
    std::filesystem::path path_;
    std::string previous_;
};

// Fixture base for tests that need their own prefix.
class PrefixTest : public ::testing::Test {
  protected:
    TemporaryPrefix prefix_;
};

} // namespace testing_support
