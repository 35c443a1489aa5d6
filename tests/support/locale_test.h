// Runs tests under a named POSIX locale. The locales come from
// scripts/bootstrap.sh; a missing one fails the test rather than skipping
// it, so a machine without them cannot pass quietly.
#pragma once

#include <array>
#include <cstdlib>
#include <gtest/gtest.h>
#include <locale.h>
#include <optional>
#include <string>

namespace testing_support {

// Points LC_ALL at the locale (and clears LC_NUMERIC and LANG).
inline ::testing::AssertionResult UseLocale(const char* name)
{
    const locale_t locale = newlocale(LC_CTYPE_MASK | LC_NUMERIC_MASK, name, static_cast<locale_t>(nullptr));
    if (!locale) return ::testing::AssertionFailure() << "locale " << name << " missing: run scripts/bootstrap.sh";
    freelocale(locale);
    unsetenv("LC_NUMERIC");
    unsetenv("LANG");
    setenv("LC_ALL", name, 1);
    return ::testing::AssertionSuccess();
}

// A fixture that puts the locale variables back as they were after the test.
class LocaleTest : public ::testing::Test {
  protected:
    LocaleTest()
    {
        for (std::size_t i = 0; i < kVariables.size(); ++i)
            if (const char* value = std::getenv(kVariables[i])) saved_[i] = value;
    }
    ~LocaleTest() override
    {
        for (std::size_t i = 0; i < kVariables.size(); ++i) {
            if (saved_[i])
                setenv(kVariables[i], saved_[i]->c_str(), 1);
            else
                unsetenv(kVariables[i]);
        }
    }

  private:
    static constexpr std::array<const char*, 3> kVariables = {"LC_ALL", "LC_NUMERIC", "LANG"};
    std::array<std::optional<std::string>, 3> saved_;
};

} // namespace testing_support
