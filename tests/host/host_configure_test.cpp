// orvana-host configure authorize against the emulator: the plug-in's own
// credentials dialog answered by the steps on the offscreen platform, the
// exit status a script relies on, and a record that changes only on success.
#include "contract/orvana_publishing.h"
#include "host/state_store.h"
#include "host/text_file.h"
#include "settings/crc4.h"
#include "settings/publisher_state.h"
#include "tests/host/host_with_service.h"
#include "tests/support/test_pictures.h"

namespace {

using host_testing::Contains;
using host_testing::Host;
using host_testing::HostRun;

constexpr char kAuthorized[] =
    "Orvana is now authorized to publish to Zenfolio as Demo Photographer. A few bits remain";
constexpr char kNeedsCredentials[] = "needs your credentials";

using HostConfigure = host_testing::HostWithServiceTest;

TEST_F(HostConfigure, TheRightPasswordAuthorizesAndTheRecordPublishes)
{
    const HostRun run = Authorize();
    ASSERT_EQ(0, run.status) << run.output;
    EXPECT_TRUE(Contains(run.output, std::string("Display state: ") + kAuthorized)) << run.output;
    const orvana::PublisherState state = SavedState();
    EXPECT_EQ(u"demo", state.AccountIdentifier);
    EXPECT_EQ(u"demo", state.LoginName);
    ASSERT_TRUE(state.ProtectedPassword);
    EXPECT_EQ(u"zenfolio-demo", orvana::UnprotectPassword(*state.ProtectedPassword));
    EXPECT_FALSE(state.GalleryId) << "the gallery is the settings' to choose";

    // The stored record is the one publish logs in with.
    ASSERT_EQ(0, Host("account").status);
    const std::filesystem::path picture = prefix_.Path() / "IMG_1.jpg";
    test_pictures::WriteJpeg(picture, {});
    const HostRun published = Host("publish " + picture.string());
    ASSERT_EQ(0, published.status) << published.output;
    ASSERT_EQ(1u, service_.Photos().size());
    EXPECT_EQ("IMG_1.jpg", service_.Photos()[0].file_name);
}

TEST_F(HostConfigure, ARefusedLoginOrACancelSaysWhichAndLeavesTheRecord)
{
    ASSERT_NO_FATAL_FAILURE(AuthorizeAndChooseGallery());
    const orvana::PublisherState before = SavedState();

    host::ReplaceFileAtomically(password_, "not-the-password\n");
    HostRun run = Authorize();
    EXPECT_EQ(1, run.status) << run.output;
    EXPECT_TRUE(Contains(run.output, "message box \"Authorization Error\": Login failed or communication error."))
        << run.output;
    EXPECT_TRUE(Contains(run.output, "the service refused the login")) << run.output;
    EXPECT_TRUE(Contains(run.output, "E_INVALIDCREDENTIALS")) << "what the service answered: " << run.output;
    EXPECT_EQ(before, SavedState());

    run = Host("configure authorize --fill 205=someone-else --fill 206=x --press 2");
    EXPECT_EQ(1, run.status) << run.output;
    EXPECT_TRUE(Contains(run.output, "the dialog was cancelled")) << run.output;
    EXPECT_FALSE(Contains(run.output, "message box")) << run.output;
    EXPECT_EQ(before, SavedState());
}

TEST_F(HostConfigure, StepsTheDialogRefusesAndMisuseEndWithStatusTwo)
{
    HostRun run = Host("configure authorize --fill 205=demo --press 1");
    EXPECT_EQ(2, run.status) << run.output;
    EXPECT_TRUE(Contains(run.output, "control 1 is disabled: the dialog does not accept \"OK\" in its current state"))
        << run.output;
    EXPECT_TRUE(Contains(run.output, kNeedsCredentials)) << run.output;
    EXPECT_FALSE(SavedState().AccountIdentifier);

    run = Host("configure authorize --fill 207=x");
    EXPECT_EQ(2, run.status) << run.output;
    EXPECT_TRUE(Contains(run.output, "control 207 is missing: the dialog 217 (\"Zenfolio User Credentials\")"))
        << run.output;

    EXPECT_EQ(2, Host("configure").status);
    EXPECT_EQ(2, Host("configure settings").status);
    EXPECT_EQ(2, Host("configure authorize --press").status);
    EXPECT_EQ(2, Host("configure authorize --click 1").status);
    run = Host("configure authorize --fill-file 206=" + (prefix_.Path() / "none").string());
    EXPECT_EQ(2, run.status);
    EXPECT_TRUE(Contains(run.output, "fill-file: cannot read")) << run.output;
    run = Host("configure authorize --fill 205");
    EXPECT_TRUE(Contains(run.output, "fill needs ID=TEXT")) << run.output;
}

} // namespace
