// The built orvana-host run against the emulator: the component registered in
// the test's prefix, the emulator reached through the proxy setting the program
// inherits, the demo account's password in a file, and the account stored
// through the plug-in's own credentials dialog.
#pragma once

#include "contract/orvana_publishing.h"
#include "emulator/service_emulator.h"
#include "host/state_store.h"
#include "host/text_file.h"
#include "settings/publisher_state.h"
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

    // The plug-in's record as the last host run saved it.
    static orvana::PublisherState SavedState()
    {
        orvana::PublisherState state;
        const auto stream = host::StateStore::InPrefix().Open(CLSID_ZenfolioPublisher);
        orvana::LoadState(stream.Get(), state);
        return state;
    }

    // The credentials dialog answered as a user would, then the first gallery chosen.
    HostRun Authorize(const std::string& identifier = "demo")
    {
        return Host("configure authorize --fill 205=" + identifier + " --fill-file 206=" + password_.string() +
                    " --press 1");
    }
    void AuthorizeAndChooseGallery()
    {
        const HostRun authorized = Authorize();
        ASSERT_EQ(0, authorized.status) << authorized.output;
        const HostRun chosen = Host("account");
        ASSERT_EQ(0, chosen.status) << chosen.output;
    }

    emulator::ServiceEmulator service_;
    testing_support::ProxyEnvironment environment_;
    const std::filesystem::path password_ = prefix_.Path() / "password";
};

} // namespace host_testing
