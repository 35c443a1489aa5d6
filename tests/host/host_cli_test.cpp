// orvana-host as a user runs it: register, list, query and unregister the
// built component in a fresh prefix.
#include "emulator/service_emulator.h"
#include "host/state_store.h"
#include "host/text_file.h"
#include "settings/publisher_state.h"
#include "tests/host/host_program.h"
#include "tests/support/proxy_environment.h"
#include "tests/support/temporary_prefix.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace {

using host_testing::Contains;
using host_testing::Host;
using host_testing::HostRun;

using HostProgram = testing_support::PrefixTest;

TEST_F(HostProgram, RegistersReportsAndUnregistersThePlugin)
{
    const std::string module = std::string("--module ") + ORVANA_COMPONENT_PATH;
    ASSERT_EQ(0, Host("register " + module).status);

    // Only the publisher is a publishing plug-in: the proxy class, registered beside it, lacks the category.
    const HostRun plugins = Host("plugins");
    ASSERT_EQ(0, plugins.status) << plugins.output;
    EXPECT_EQ("{6A1E2F40-3C5D-4B7E-9F10-2D3C4B5A6978}  Orvana.Publishing.Plugin.Zenfolio.1  Publish to Zenfolio\n",
              plugins.output);

    const HostRun info = Host("info --json");
    ASSERT_EQ(0, info.status) << info.output;
    EXPECT_TRUE(Contains(info.output, "\"capabilities\":15")) << info.output;

    // Terminate saved the (empty) record: version byte and nine null fields.
    const auto stateFile = prefix_.Path() / "host" / "state" / "{6A1E2F40-3C5D-4B7E-9F10-2D3C4B5A6978}.state";
    EXPECT_TRUE(Contains(info.output, "\"stateFile\":\"" + stateFile.string() + "\"")) << info.output;
    ASSERT_TRUE(std::filesystem::exists(stateFile));
    EXPECT_EQ(41u, std::filesystem::file_size(stateFile));

    ASSERT_EQ(0, Host("unregister " + module).status);
    const HostRun after = Host("plugins");
    EXPECT_EQ(0, after.status);
    EXPECT_EQ("", after.output);
}

TEST_F(HostProgram, ShowsTheConfiguredStateFromTheSeededSettingsAndStateFile)
{
    ASSERT_EQ(0, Host(std::string("register --module ") + ORVANA_COMPONENT_PATH).status);
    for (const char* setting :
         {"JPEGMode 2", "JPEGWriteEXIF 0", "JPEGWriteXMP 0", "JPEGWriteIPTC 0", "JPEGLongDimension '24 cm print'"})
        ASSERT_EQ(0, Host(std::string("settings set ") + setting).status) << setting;

    orvana::PublisherState state;
    state.AccountIdentifier = u"demo";
    state.ProtectedPassword = std::vector<BYTE>{1, 2, 3, 4};
    state.LoginName = u"demo";
    state.DisplayName = u"Demo Photographer";
    state.GalleryId = u"4800000002";
    state.GalleryTitle = u"Summer in Provence";
    state.UploadUrl = u"http://up.zenfolio.com/demo/p4800000002/upload.ushx";
    const host::StateStore store = host::StateStore::InPrefix();
    const CLSID plugin = pal::MakeGuid("6A1E2F40-3C5D-4B7E-9F10-2D3C4B5A6978");
    const auto stream = store.Open(plugin);
    ASSERT_NO_THROW(orvana::SaveState(stream.Get(), state));
    store.Save(plugin, stream.Get());

    const HostRun info = Host("info");
    ASSERT_EQ(0, info.status) << info.output;
    EXPECT_TRUE(Contains(info.output, "Publish to Summer in Provence. Resample, send copyright, GPS data, downscale "
                                      "for 24 cm print. <a id=\"settings\" href=\"parameters\">Settings...</a>"))
        << info.output;
}

TEST_F(HostProgram, ExplainsWhatIsWrongWhenThePluginIsNotRegistered)
{
    const HostRun info = Host("info");
    EXPECT_EQ(1, info.status);
    EXPECT_TRUE(Contains(info.output, "0x80040154")) << info.output; // class not registered
    EXPECT_TRUE(Contains(info.output, "orvana-host register")) << info.output;

    const HostRun unknown = Host("frobnicate");
    EXPECT_EQ(2, unknown.status);
    EXPECT_TRUE(Contains(unknown.output, "usage:")) << unknown.output;
}

TEST_F(HostProgram, ServiceConsoleLogsInThroughTheProxySettingAndPrintsTheGroupTree)
{
    emulator::ServiceEmulator service;
    service.Start();
    ASSERT_EQ(0, Host("register --module " + std::string(ORVANA_COMPONENT_PATH)).status);
    const auto good = prefix_.Path() / "password";
    const auto bad = prefix_.Path() / "wrong";
    host::ReplaceFileAtomically(good, "zenfolio-demo\n");
    host::ReplaceFileAtomically(bad, "not-the-password\n");
    // The program inherits the proxy setting that leads to the emulator.
    testing_support::ProxyEnvironment environment;
    environment.Set("http_proxy", service.Url());

    const HostRun tree = Host("service --user demo --password-file " + good.string() + " hierarchy --xml");
    ASSERT_EQ(0, tree.status) << tree.output;
    EXPECT_TRUE(Contains(tree.output, "<LoadGroupHierarchyResult")) << tree.output;
    EXPECT_TRUE(Contains(tree.output, "<Title>Travel</Title>")) << tree.output;

    const HostRun refused = Host("service --user demo --password-file " + bad.string() + " hierarchy");
    EXPECT_EQ(1, refused.status);
    EXPECT_TRUE(Contains(refused.output, "login as demo failed: HRESULT 0x80004005")) << refused.output;
    service.Stop();
}

} // namespace
