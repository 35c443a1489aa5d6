// Publish runs of the real component, loaded from its module, against the
// service emulator: what arrives, what the log says at which level, and what
// the host's windows were sent, on their own thread.
#include "contract/orvana_publishing.h"
#include "pal/bstr.h"
#include "pal/com/activation.h"
#include "pal/com_ptr.h"
#include "pal/http/session_worker.h"
#include "pal/registry_key.h"
#include "pal/utf.h"
#include "settings/publisher_state.h"
#include "settings/settings_store.h"
#include "tests/support/component_module.h"
#include "tests/support/demo_account.h"
#include "tests/support/emulated_service.h"
#include "tests/support/recording_host.h"
#include "tests/support/recording_windows.h"
#include "tests/support/test_pictures.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

namespace {

namespace fs = std::filesystem;
using testing_support::LogLine;
using testing_support::TestItem;
using namespace std::chrono_literals;

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class PublishRun : public testing_support::EmulatedServiceTest {
  protected:
    void SetUp() override
    {
        EmulatedServiceTest::SetUp();
        ASSERT_EQ(S_OK, module_.RegisterServer());
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_ZenfolioPublisher, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_IOrvanaPublishingPlugin, plugin_.ReleaseAndGetVoidAddress()));
        hostObject_ = pal::MakeComObject<testing_support::RecordingHost, IPublishingHost>();
        host_ = static_cast<testing_support::RecordingHost*>(hostObject_.Get());
        gallery_ = testing_support::FirstDemoGallery(*emulator_);
        ASSERT_NE(0, gallery_.id);
        ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, stream_.ReleaseAndGetAddressOf()));
        state_ = testing_support::DemoAccountRecord(gallery_);
        orvana::SaveState(stream_.Get(), state_);
        stream_->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
        ASSERT_EQ(S_OK, plugin_->Initialize(hostObject_.Get(), 0x409, stream_.Get(), 0));
        folder_ = prefix_.Path() / "pictures";
        fs::create_directories(folder_);
    }
    void TearDown() override
    {
        plugin_.Reset();
        hostObject_.Reset();
        pal::http::SetTimeoutScaleForTesting(1);
        EmulatedServiceTest::TearDown();
    }

    // The readiness check a host makes first; it logs in.
    void LogIn() { ASSERT_EQ(S_OK, plugin_->CanPublish(windows_.Status(), TRUE)); }
    HRESULT Publish() { return plugin_->Publish(windows_.Progress(), windows_.Status()); }

    void SetJpegMode(DWORD mode)
    {
        pal::RegKey key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, orvana::kSettingsKeyPath, 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, key.ReleaseAndGetAddressOf(), nullptr));
        pal::SetDWORDValue(key.Get(), u"JPEGMode", mode);
    }

    fs::path Jpeg(const fs::path& file, int width = 64, int height = 48)
    {
        fs::create_directories(file.parent_path());
        test_pictures::JpegOptions options;
        options.width = width;
        options.height = height;
        return test_pictures::WriteJpeg(file, options);
    }
    // The item of a file set: its path without the extension.
    static std::u16string Stem(const fs::path& file)
    {
        return pal::ToUtf16((file.parent_path() / file.stem()).string());
    }
    static std::u16string Wide(const fs::path& file) { return pal::ToUtf16(file.string()); }

    std::vector<std::string> ArrivedNames() const
    {
        std::vector<std::string> names;
        for (const auto& photo : emulator_->Photos())
            names.push_back(photo.file_name);
        return names;
    }
    std::vector<LogLine> LinesAt(LONG level) const
    {
        std::vector<LogLine> lines;
        for (const LogLine& line : host_->Lines())
            if (line.level == level) lines.push_back(line);
        return lines;
    }
    bool Logged(LONG level, const std::u16string& text) const
    {
        const auto lines = host_->Lines();
        return std::find(lines.begin(), lines.end(), LogLine{level, text}) != lines.end();
    }
    std::u16string LastStatus() const
    {
        const auto texts = windows_.StatusTexts();
        return texts.empty() ? u"" : texts.back();
    }

    testing_support::ComponentModule module_;
    testing_support::RecordingWindows windows_;
    pal::ComPtr<IOrvanaPublishingPlugin> plugin_;
    pal::ComPtr<IPublishingHost> hostObject_;
    testing_support::RecordingHost* host_ = nullptr;
    pal::ComPtr<IStream> stream_;
    orvana::PublisherState state_;
    emulator::PhotoSetInfo gallery_;
    fs::path folder_;
};

TEST_F(PublishRun, ItemsOfEveryKindArriveUnderUniqueNames)
{
    const fs::path first = Jpeg(folder_ / "a" / "IMG_1.jpg");
    const fs::path second = Jpeg(folder_ / "b" / "img_1.JPG");
    const fs::path png = test_pictures::WritePng(folder_ / "a" / "logo.png", 40, 30);
    const fs::path tiff = test_pictures::WriteTiff(folder_ / "a" / "scan.tif", 50, 40);
    // A camera's raw beside its JPEG goes up as the JPEG; beside a TIFF, as the raw, converted.
    test_pictures::WriteDng(folder_ / "a" / "pair.CR2", 32, 24);
    const fs::path pairJpeg = Jpeg(folder_ / "a" / "pair.JPG");
    const fs::path raw = test_pictures::WriteDng(folder_ / "a" / "cam.CR2", 48, 32);
    test_pictures::WriteTiff(folder_ / "a" / "cam.TIF", 48, 32);
    host_->SetItems({{Stem(first), u"jpg"},
                     {Stem(second), u"JPG"},
                     {Stem(png), u"png"},
                     {Stem(tiff), u"tif"},
                     {Stem(pairJpeg), u"CR2;JPG"},
                     {Stem(raw), u"CR2;TIF"}});
    LogIn();

    // A viewer asks for the display state while the run goes on.
    std::atomic<bool> running{true};
    std::thread viewer([&] {
        while (running) {
            pal::Bstr state;
            EXPECT_EQ(S_OK, plugin_->GetDisplayState(state.ReleaseAndGetAddressOf()));
        }
    });
    const HRESULT published = Publish();
    running = false;
    viewer.join();
    ASSERT_EQ(S_OK, published);

    EXPECT_EQ((std::vector<std::string>{"IMG_1.jpg", "IMG_1(2).jpg", "logo.png", "scan.jpg", "pair.jpg", "cam.jpg"}),
              ArrivedNames());
    const auto photos = emulator_->Photos();
    ASSERT_EQ(6u, photos.size());
    EXPECT_EQ(ReadFile(first), photos[0].bytes) << "JPEG files go up intact by default";
    EXPECT_EQ(ReadFile(png), photos[2].bytes);
    EXPECT_EQ("image/png", photos[2].content_type);
    EXPECT_EQ(ReadFile(pairJpeg), photos[4].bytes);
    for (std::size_t n : {3u, 5u}) {
        EXPECT_EQ("image/jpeg", photos[n].content_type);
        EXPECT_EQ(std::string("\xFF\xD8", 2), photos[n].bytes.substr(0, 2)) << "converted: " << photos[n].file_name;
    }
    for (const auto& photo : photos)
        EXPECT_EQ(gallery_.id, photo.photo_set_id);

    const auto lines = host_->Lines();
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ((LogLine{0, u"Starting."}), lines[0]);
    EXPECT_EQ((LogLine{0, u"Publish to Zenfolio 1.9 (Build 289)"}), lines[1]);
    EXPECT_EQ((LogLine{0, u"Name=Demo Photographer, MaxFileSize=1.50 GB"}), lines[2]);
    EXPECT_EQ((LogLine{1, u"Publishing to " + pal::ToUtf16(gallery_.title)}), lines[3]);
    EXPECT_EQ((LogLine{1, u"Send JPEG files intact"}), lines[4]);
    EXPECT_EQ((LogLine{0, u"Ending."}), lines.back());
    EXPECT_TRUE(Logged(2, u"Uploading duplicate file name \"img_1\" as \"IMG_1(2)\""));
    EXPECT_TRUE(Logged(1, u"Publishing \"" + Wide(pairJpeg) + u"\"."));
    EXPECT_TRUE(Logged(1, u"Publishing \"" + Wide(raw) + u"\"."));
    EXPECT_TRUE(LinesAt(3).empty());

    EXPECT_EQ(u"Done.", LastStatus());
    const auto texts = windows_.StatusTexts();
    EXPECT_EQ(u"Checking connectivity...", texts.at(0));
    EXPECT_EQ(u"Publishing...", texts.at(1));
    EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(),
                                     u"Published 6 of 6 items. Estimated time left: "
                                     u"less than one minute."));
    const pal::ProgressBarState bar = windows_.Bar();
    EXPECT_EQ(0, bar.low);
    EXPECT_EQ(600, bar.high);
    EXPECT_EQ(600, bar.position);
    EXPECT_EQ((std::vector<int>{PBST_NORMAL, PBST_NORMAL}), windows_.States());
    EXPECT_EQ(0, windows_.OffThreadCalls());
}

TEST_F(PublishRun, AMislabelledFileIsReportedAndRetriedOnlyWhenResampling)
{
    const fs::path fake = test_pictures::WriteTiff(folder_ / "fake.jpg", 40, 30);
    const fs::path png = test_pictures::WritePng(folder_ / "drawing.jpg", 40, 30);
    const std::u16string notWhatItAppears =
        u"\"" + Wide(fake) + u"\" is not what it appears to be (wrong file extension?)";
    host_->SetItems({{Stem(fake), u"jpg"}, {Stem(png), u"jpg"}});
    LogIn();

    ASSERT_EQ(S_OK, Publish());
    EXPECT_EQ(std::vector<std::string>{"drawing.jpg"}, ArrivedNames()) << "a PNG is shown by the service as it is";
    EXPECT_EQ(ReadFile(png), emulator_->Photos().at(0).bytes);
    EXPECT_EQ(
        (std::vector<LogLine>{{3, notWhatItAppears},
                              {3, u"Could not publish \"" + Wide(fake) + u"\" (Error code: 0x80004005) Zenfolio: "}}),
        LinesAt(3));
    EXPECT_EQ((std::vector<int>{PBST_NORMAL, PBST_NORMAL, PBST_PAUSED}), windows_.States());
    EXPECT_EQ(u"Done.", LastStatus()) << "a run with failed pictures is still done";

    // Resampling tries once more with the RAW/TIFF settings; the host decodes by
    // extension, so the second attempt is refused for the same reason.
    SetJpegMode(2);
    host_->SetItems({{Stem(fake), u"jpg"}});
    ASSERT_EQ(S_OK, Publish());
    EXPECT_TRUE(Logged(2, notWhatItAppears));
    const auto failed = LinesAt(3);
    ASSERT_EQ(3u, failed.size());
    EXPECT_EQ(u"Could not publish \"" + Wide(fake) + u"\" (Error code: 0x88982f61) Zenfolio: ", failed.back().text);
}

TEST_F(PublishRun, AFailedUploadFailsItsPictureAndTheRunGoesOn)
{
    std::vector<TestItem> items;
    for (int n = 1; n <= 5; ++n)
        items.push_back({Stem(Jpeg(folder_ / ("p" + std::to_string(n) + ".jpg"))), u"jpg"});
    host_->SetItems(items);
    LogIn();
    pal::http::SetTimeoutScaleForTesting(0.005); // a stalled reply times out after 1.8 s
    emulator_->SetStallDuration(20s);
    emulator_->InjectFailure(emulator::Failure::NonNumericUpload, emulator::kUploadEndpoint, 1);
    emulator_->InjectFailure(emulator::Failure::ServerFault, emulator::kUploadEndpoint, 1);
    emulator_->InjectFailure(emulator::Failure::DropConnection, emulator::kUploadEndpoint, 1);
    emulator_->InjectFailure(emulator::Failure::Stall, emulator::kUploadEndpoint, 1);

    ASSERT_EQ(S_OK, Publish());

    const auto failed = LinesAt(3);
    ASSERT_EQ(4u, failed.size());
    for (const LogLine& line : failed)
        EXPECT_EQ(0u, line.text.rfind(u"Could not publish \"", 0)) << pal::ToUtf8(line.text);
    EXPECT_EQ(std::vector<std::string>{"p5.jpg"}, ArrivedNames());
    // Released only now: a stalled upload that is let go stores its photo, as a slow service would.
    emulator_->ClearFailures();
    EXPECT_EQ(u"Done.", LastStatus());
    EXPECT_EQ(PBST_PAUSED, windows_.Bar().state) << "a failed picture leaves the bar paused";

    // What the plug-in saves after the run is the record it was given.
    const ULARGE_INTEGER none{};
    stream_->SetSize(none);
    ASSERT_EQ(S_OK, plugin_->Terminate());
    pal::ComPtr<IStream> expected;
    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, expected.ReleaseAndGetAddressOf()));
    orvana::SaveState(expected.Get(), state_);
    STATSTG saved{}, original{};
    stream_->Stat(&saved, STATFLAG_NONAME);
    expected->Stat(&original, STATFLAG_NONAME);
    EXPECT_EQ(original.cbSize.QuadPart, saved.cbSize.QuadPart);
    orvana::PublisherState reloaded;
    stream_->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    orvana::LoadState(stream_.Get(), reloaded);
    EXPECT_EQ(state_, reloaded);
}

TEST_F(PublishRun, SelectionsWithNothingToSend)
{
    LogIn();
    ASSERT_EQ(S_OK, Publish());
    EXPECT_EQ(0, windows_.Bar().high);
    EXPECT_EQ(u"Done.", LastStatus());

    // An item without files, with or without a list, fails alone.
    const fs::path good = Jpeg(folder_ / "good.jpg");
    host_->SetItems({{u"/nowhere/gone", u""}, {u"/nowhere/none", std::nullopt}, {Stem(good), u"jpg"}});
    ASSERT_EQ(S_OK, Publish());
    const auto failed = LinesAt(3);
    ASSERT_EQ(2u, failed.size());
    for (const LogLine& line : failed)
        EXPECT_EQ(0u, line.text.rfind(u"Could not publish \"\" (Error code: 0x8", 0)) << pal::ToUtf8(line.text);
    EXPECT_EQ(std::vector<std::string>{"good.jpg"}, ArrivedNames());
    EXPECT_EQ(u"Done.", LastStatus());

    host_->FailSelection();
    ASSERT_EQ(S_OK, Publish());
    EXPECT_TRUE(Logged(4, u"Could not retrieve the list of images to be published."));
    EXPECT_EQ(u"Error.", LastStatus());
    EXPECT_EQ((LogLine{0, u"Ending."}), host_->Lines().back());

    EXPECT_EQ(E_INVALIDARG, plugin_->Publish(nullptr, windows_.Status()));
    EXPECT_EQ(E_INVALIDARG, plugin_->Publish(windows_.Progress(), nullptr));
}

TEST_F(PublishRun, AGracefulCancelFinishesTheCurrentPicture)
{
    std::vector<TestItem> items;
    for (int n = 1; n <= 5; ++n)
        items.push_back({Stem(Jpeg(folder_ / ("p" + std::to_string(n) + ".jpg"))), u"jpg"});
    host_->SetItems(items);
    const std::u16string third = u"Publishing \"" + items[2].path + u".jpg\".";
    host_->OnLog([&](const LogLine& line) {
        if (line.text == third) std::thread([&] { plugin_->Cancel(FALSE); }).join();
    });
    LogIn();

    ASSERT_EQ(S_OK, Publish());
    EXPECT_EQ((std::vector<std::string>{"p1.jpg", "p2.jpg", "p3.jpg"}), ArrivedNames());
    EXPECT_TRUE(Logged(2, u"Cancelling at user request."));
    EXPECT_TRUE(LinesAt(3).empty());
    EXPECT_EQ(PBST_PAUSED, windows_.States().back());
    EXPECT_EQ(u"Cancelled.", LastStatus());
}

TEST_F(PublishRun, AnAbruptCancelStopsTheTransfer)
{
    const fs::path big = Jpeg(folder_ / "big.jpg", 2400, 1800);
    ASSERT_GT(fs::file_size(big), 300'000u) << "enough chunks for several reports";
    host_->SetItems({{Stem(big), u"jpg"}, {Stem(Jpeg(folder_ / "next.jpg")), u"jpg"}});
    windows_.OnProgress([&](const pal::ProgressBarState& bar) {
        if (bar.position > 0 && bar.position < 100) std::thread([&] { plugin_->Cancel(TRUE); }).join();
    });
    LogIn();

    ASSERT_EQ(S_OK, Publish());
    windows_.OnProgress(nullptr);
    EXPECT_TRUE(ArrivedNames().empty());
    EXPECT_TRUE(Logged(2, u"Cancelling ABRUPTLY at user request."));
    EXPECT_EQ((std::vector<LogLine>{{3, u"Could not publish \"" + Wide(big) +
                                            u"\" (Error code: 0x80004004) "
                                            u"Zenfolio: Aborted"}}),
              LinesAt(3));
    EXPECT_EQ(u"Cancelled, aborted uploads.", LastStatus());

    pal::ComPtr<IUploadProgressCallback> callback;
    ASSERT_EQ(S_OK, plugin_->QueryInterface(IID_IUploadProgressCallback, callback.ReleaseAndGetVoidAddress()));
    for (tagUPLOADSTATE state : {UPLOADSTATE_START, UPLOADSTATE_STARTIMAGE, UPLOADSTATE_IMAGE, UPLOADSTATE_END})
        EXPECT_EQ(E_ABORT, callback->UploadProgress(state, 10, 5)) << "until the next run";
}

TEST_F(PublishRun, ProgressFollowsWholePercentagesOfLargeTransfers)
{
    const fs::path one = Jpeg(folder_ / "one.jpg");
    host_->SetItems({{Stem(one), u"jpg"}});
    pal::ComPtr<IUploadProgressCallback> callback;
    ASSERT_EQ(S_OK, plugin_->QueryInterface(IID_IUploadProgressCallback, callback.ReleaseAndGetVoidAddress()));
    std::vector<int> positions;
    std::vector<std::size_t> messages;
    std::vector<std::u16string> statuses;
    // Reports of a 4 GB transfer, made while the run is at its picture.
    host_->OnLog([&](const LogLine& line) {
        if (line.level != 1 || line.text.rfind(u"Publishing \"", 0) != 0) return;
        for (ULONG done : {2'000'000'000u, 2'000'000'000u, 2'039'999'999u, 4'000'000'000u}) {
            EXPECT_EQ(S_OK, callback->UploadProgress(UPLOADSTATE_IMAGE, 4'000'000'000u, done));
            positions.push_back(windows_.Bar().position);
            messages.push_back(windows_.MessagesSent());
            statuses.push_back(LastStatus());
        }
        callback->UploadProgress(UPLOADSTATE_STARTIMAGE, 0, 0);
    });
    LogIn();

    ASSERT_EQ(S_OK, Publish());
    EXPECT_EQ((std::vector<int>{50, 50, 50, 100}), positions);
    EXPECT_EQ(messages[0], messages[1]) << "the same percentage again changes nothing";
    EXPECT_EQ(messages[1], messages[2]) << "50.99 % is still 50 %";
    EXPECT_EQ(u"Estimating remaining time...", statuses[0]) << "one picture: no count, no estimate before 75 %";
    EXPECT_EQ(u"Estimated time left: less than one minute.", statuses[3]);
    EXPECT_EQ(std::vector<std::string>{"one.jpg"}, ArrivedNames());
}

TEST_F(PublishRun, TheReadinessCheckLogsInOnceAndReportsRefusals)
{
    emulator_->InjectFailure(emulator::Failure::RefuseLogin, "Authenticate");
    EXPECT_EQ(S_FALSE, plugin_->CanPublish(windows_.Status(), TRUE));
    const auto refused = windows_.MessageBoxes();
    ASSERT_EQ(2u, refused.size());
    EXPECT_EQ(u"Authorization Error", refused[0].caption);
    EXPECT_EQ(u"Login failed or communication error.", refused[0].text);
    EXPECT_EQ(u"An error occurred while talking to Zenfolio", refused[1].caption);
    EXPECT_EQ(u"Cannot login to Zenfolio, please try again later. If the problem persists, try supplying new login "
              u"credentials.",
              refused[1].text);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), refused[1].type);

    emulator_->ClearFailures();
    EXPECT_EQ(S_OK, plugin_->CanPublish(windows_.Status(), TRUE));
    const auto logins = [&] {
        const auto requests = emulator_->Requests();
        return std::count_if(requests.begin(), requests.end(), [](const auto& request) {
            return request.Header("SOAPAction").value_or("").find("Authenticate") != std::string::npos;
        });
    };
    const auto before = logins();
    EXPECT_EQ(S_OK, plugin_->CanPublish(windows_.Status(), TRUE));
    EXPECT_EQ(before, logins()) << "logged in already";
    EXPECT_EQ(2u, windows_.MessageBoxes().size());

    // A gallery deleted on the service is found before anything is sent.
    ASSERT_TRUE(emulator_->DeletePhotoSet(gallery_.id));
    EXPECT_EQ(S_FALSE, plugin_->CanPublish(windows_.Status(), TRUE));
    const auto boxes = windows_.MessageBoxes();
    ASSERT_EQ(3u, boxes.size());
    EXPECT_EQ(u"An error occurred while talking to Zenfolio", boxes[2].caption);
    EXPECT_EQ(u"Cannot retrieve gallery information.", boxes[2].text);
    EXPECT_EQ(S_OK, plugin_->CanPublish(windows_.Status(), FALSE)) << "without the check nothing is asked";
}

} // namespace
