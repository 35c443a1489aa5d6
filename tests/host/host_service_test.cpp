// orvana-host's service tools against the emulator, reached through the proxy
// setting the program inherits: the account tool choosing the gallery in the
// publisher's record, the readable summaries, and what a failed call says.
#include "contract/orvana_publishing.h"
#include "emulator/service_emulator.h"
#include "host/state_store.h"
#include "host/text_file.h"
#include "settings/crc4.h"
#include "settings/publisher_state.h"
#include "tests/host/host_with_service.h"
#include "tests/support/proxy_environment.h"
#include "tests/support/temporary_prefix.h"

#include <gtest/gtest.h>
#include <string>

namespace {

using host_testing::Contains;
using host_testing::Host;
using host_testing::HostRun;

using HostService = host_testing::HostWithServiceTest;

TEST_F(HostService, AccountToolChoosesTheGalleryAndKeepsTheAccountTheDialogStored)
{
    HostRun run = Host("account");
    EXPECT_EQ(2, run.status);
    EXPECT_TRUE(Contains(run.output, "no account is stored: run 'orvana-host configure authorize' first"))
        << run.output;
    EXPECT_EQ(2, Host("account --user demo --password-file " + password_.string()).status)
        << "the account comes from the dialog now";

    // By e-mail: the hierarchy is still read with the login name the profile gave.
    ASSERT_EQ(0, Authorize("demo@example.com").status);
    run = Host("account");
    ASSERT_EQ(0, run.status) << run.output;
    EXPECT_TRUE(Contains(run.output, "Gallery:     Kyoto in Autumn [4800000003]")) << run.output;
    orvana::PublisherState state = SavedState();
    EXPECT_EQ(u"demo@example.com", state.AccountIdentifier);
    EXPECT_EQ(u"demo", state.LoginName);
    EXPECT_EQ(u"Demo Photographer", state.DisplayName);
    EXPECT_EQ(10737418240LL, state.PhotoBytesQuota);
    EXPECT_EQ(u"http://demo.zenfolio.com", state.HomeUrl);
    EXPECT_EQ(u"4800000003", state.GalleryId);
    EXPECT_EQ(u"Kyoto in Autumn", state.GalleryTitle);
    EXPECT_EQ(u"http://up.zenfolio.com/demo/p4800000003/upload.ushx", state.UploadUrl);
    ASSERT_TRUE(state.ProtectedPassword);
    EXPECT_EQ(u"zenfolio-demo", orvana::UnprotectPassword(*state.ProtectedPassword));
    EXPECT_TRUE(Contains(Host("info").output, "Publish to Kyoto in Autumn.")) << Host("info").output;

    // A title with an ampersand and a dash outside ASCII; the account fields stay.
    run = Host("account --gallery-title 'Anna & Marc \u2013 Lakeside Wedding'");
    ASSERT_EQ(0, run.status) << run.output;
    orvana::PublisherState other = SavedState();
    EXPECT_EQ(u"4800000007", other.GalleryId);
    EXPECT_EQ(u"Anna & Marc \u2013 Lakeside Wedding", other.GalleryTitle);
    other.GalleryId = state.GalleryId;
    other.GalleryTitle = state.GalleryTitle;
    other.UploadUrl = state.UploadUrl;
    EXPECT_EQ(state, other) << "only the gallery fields changed";

    EXPECT_EQ(2, Host("account --gallery 4800000003 --gallery-title Kyoto").status);
    EXPECT_EQ(2, Host("account --gallery").status);
}

TEST_F(HostService, ADeletedGalleryOrACollectionIsNoChoiceAndTheTreeShowsWhatIsLeft)
{
    const std::string login = "--user demo --password-file " + password_.string();
    ASSERT_EQ(0, Authorize().status);
    const std::string tree = "Group  Demo Photographer  [4800000001]\n"
                             "  Group  Travel  [4800000002]\n"
                             "    Gallery  Kyoto in Autumn  [4800000003]  "
                             "http://up.zenfolio.com/demo/p4800000003/upload.ushx\n"
                             "    Gallery  Patagonia Trek  [4800000004]  "
                             "http://up.zenfolio.com/demo/p4800000004/upload.ushx\n"
                             "  Collection  Best of 2023  [4800000005]\n"
                             "  Group  Weddings  [4800000006]\n"
                             "    Gallery  Anna & Marc \u2013 Lakeside Wedding  [4800000007]  "
                             "http://up.zenfolio.com/demo/p4800000007/upload.ushx\n";
    HostRun run = Host("service " + login + " hierarchy");
    ASSERT_EQ(0, run.status) << run.output;
    EXPECT_EQ(tree, run.output);

    ASSERT_TRUE(service_.DeletePhotoSet(4800000003));
    run = Host("service " + login + " hierarchy");
    EXPECT_FALSE(Contains(run.output, "Kyoto")) << run.output;
    run = Host("account --gallery 4800000003");
    EXPECT_EQ(1, run.status);
    EXPECT_TRUE(Contains(run.output, "no gallery with id 4800000003")) << run.output;
    EXPECT_EQ(1, Host("account --gallery 4800000005").status) << "a collection takes no uploads";
    run = Host("account");
    ASSERT_EQ(0, run.status) << run.output;
    EXPECT_EQ(u"4800000004", SavedState().GalleryId) << "the first gallery left";

    run = Host("service " + login + " profile");
    EXPECT_EQ("Login name:    demo\nDisplay name:  Demo Photographer\nPhoto quota:   10737418240 bytes\n"
              "Domain:        demo.zenfolio.com\n",
              run.output);
    EXPECT_TRUE(Contains(Host("service " + login + " profile --xml").output, "<LoginName>demo</LoginName>"));
}

TEST_F(HostService, AFailedCallSaysWhatTheServiceAnswered)
{
    host::ReplaceFileAtomically(password_, "not-the-password\n");
    HostRun run = Host("service --user demo --password-file " + password_.string() + " profile");
    EXPECT_EQ(1, run.status);
    EXPECT_TRUE(Contains(run.output, "login as demo failed: HRESULT 0x80004005")) << run.output;
    EXPECT_TRUE(Contains(run.output, "the service answered HTTP 500 Internal Server Error to POST "
                                     "http://api.zenfolio.com/api/1.6/zfapi.asmx"))
        << run.output;
    EXPECT_TRUE(Contains(run.output, "SOAP fault soap:Client: E_INVALIDCREDENTIALS")) << run.output;

    host::ReplaceFileAtomically(password_, "zenfolio-demo\n");
    service_.InjectFailure(emulator::Failure::HtmlError, "LoadPrivateProfile");
    run = Host("service --user demo --password-file " + password_.string() + " profile");
    EXPECT_EQ(1, run.status);
    EXPECT_TRUE(Contains(run.output, "profile failed")) << run.output;
    EXPECT_TRUE(Contains(run.output, "reply: text/html; charset=utf-8, no SOAP fault")) << run.output;
}

} // namespace
