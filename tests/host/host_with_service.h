// The built orvana-host run against the emulator: the component registered in
// the test's prefix, the emulator reached through the proxy setting the program
// inherits, and the demo account's password in a file.
#pragma once

#include "emulator/service_emulator.h"
#include "host/text_file.h"
#include "tests/host/host_program.h"
#include "tests/support/proxy_environment.h"
#include "tests/support/temporary_prefix.h"

#include <gtest/gtest.h>
#include <string>

namespace host_testing {

class HostWithServiceTest : public testing_support::PrefixTest {
  protected:
    void SetUp() override
    {
        service_.Start();
        environment_.Set("http_proxy", service_.Url());
        ASSERT_EQ(0, Host("register --module " + std::string(ORVANA_COMPONENT_PATH)).status);
        host::ReplaceFileAtomically(password_, "zenfolio-demo\n");
    }
    void TearDown() override { service_.Stop(); }

    emulator::ServiceEmulator service_;
    testing_support::ProxyEnvironment environment_;
    const std::filesystem::path password_ = prefix_.Path() / "password";
};

} // namespace host_testing
