// orvana-host publish against the emulator: the exit status a script can rely
// on and the sentence that says why a run could not start.
#include "tests/host/host_with_service.h"
#include "tests/support/test_pictures.h"

namespace {

using host_testing::Contains;
using host_testing::Host;
using host_testing::HostRun;

class HostPublish : public host_testing::HostWithServiceTest {
  protected:
    void SetUp() override
    {
        HostWithServiceTest::SetUp();
        std::filesystem::create_directories(folder_);
        test_pictures::JpegOptions options;
        options.camera = true;
        for (const char* name : {"IMG_1.jpg", "IMG_2.jpg"})
            test_pictures::WriteJpeg(folder_ / name, options);
        test_pictures::WritePng(folder_ / "plan.png", 40, 30);
        test_pictures::WriteDng(folder_ / "IMG_1.CR2", 32, 24); // one item with IMG_1.jpg
    }
    const std::filesystem::path folder_ = prefix_.Path() / "pictures";
};

TEST_F(HostPublish, AFolderArrivesWholeAndFailuresSetTheStatus)
{
    const HostRun notAuthorised = Host("publish " + folder_.string());
    EXPECT_EQ(2, notAuthorised.status);
    EXPECT_TRUE(Contains(notAuthorised.output, "cannot publish: the plug-in is not authorised"))
        << notAuthorised.output;
    EXPECT_TRUE(service_.Photos().empty());

    ASSERT_NO_FATAL_FAILURE(AuthorizeAndChooseGallery());
    const HostRun run = Host("publish " + folder_.string());
    ASSERT_EQ(0, run.status) << run.output;
    EXPECT_TRUE(Contains(run.output, "Published 3 of 3 items.")) << run.output;
    EXPECT_TRUE(Contains(run.output, "Done.")) << run.output;
    std::vector<std::string> names;
    for (const auto& photo : service_.Photos())
        names.push_back(photo.file_name);
    EXPECT_EQ((std::vector<std::string>{"IMG_1.jpg", "IMG_2.jpg", "plan.png"}), names);

    // A picture the service refuses makes the run's status 1; the run still ends.
    service_.InjectFailure(emulator::Failure::NonNumericUpload, emulator::kUploadEndpoint, 1);
    const HostRun failed = Host("publish " + (folder_ / "plan.png").string() + " " + (folder_ / "IMG_2.jpg").string());
    EXPECT_EQ(1, failed.status) << failed.output;
    EXPECT_TRUE(Contains(failed.output, "Could not publish")) << failed.output;
    EXPECT_TRUE(Contains(failed.output, "1 of 2 pictures could not be published")) << failed.output;
    EXPECT_EQ(4u, service_.Photos().size());

    EXPECT_EQ(2, Host("publish").status);
    const HostRun missing = Host("publish " + (folder_ / "nothing-here.jpg").string());
    EXPECT_EQ(2, missing.status);
    EXPECT_TRUE(Contains(missing.output, "nothing-here.jpg")) << missing.output;
}

TEST_F(HostPublish, ARefusedLoginAndADeletedGalleryAreSaidInOneSentence)
{
    ASSERT_NO_FATAL_FAILURE(AuthorizeAndChooseGallery());
    service_.InjectFailure(emulator::Failure::RefuseLogin, "Authenticate");
    const HostRun refused = Host("publish " + folder_.string());
    EXPECT_EQ(2, refused.status);
    EXPECT_TRUE(Contains(refused.output, "Authorization Error")) << refused.output;
    EXPECT_TRUE(Contains(refused.output, "the service refused the login with the stored credentials"))
        << refused.output;
    EXPECT_TRUE(Contains(refused.output, "E_INVALIDCREDENTIALS")) << "what the service answered: " << refused.output;
    service_.ClearFailures();

    ASSERT_TRUE(service_.DeletePhotoSet(4800000003));
    const HostRun gone = Host("publish " + folder_.string());
    EXPECT_EQ(2, gone.status);
    EXPECT_TRUE(Contains(gone.output, "Cannot retrieve gallery information.")) << gone.output;
    EXPECT_TRUE(Contains(gone.output, "cannot be found on the service")) << gone.output;
    EXPECT_TRUE(service_.Photos().empty());
}

} // namespace
