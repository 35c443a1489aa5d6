// The selection as a viewer groups it, and the item records the host fills
// for it from real picture files.
#include "contract/host_image_info.h"
#include "host/publishing_host.h"
#include "host/selection.h"
#include "host/text_file.h"
#include "pal/com_ptr.h"
#include "pal/object.h"
#include "pal/unique_global.h"
#include "pal/utf.h"
#include "tests/support/temporary_prefix.h"
#include "tests/support/test_pictures.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class SelectionTest : public testing_support::PrefixTest {
  protected:
    fs::path Touch(const fs::path& relative)
    {
        const fs::path file = prefix_.Path() / relative;
        fs::create_directories(file.parent_path());
        host::ReplaceFileAtomically(file, "not a picture");
        return file;
    }

    // "base:EXT;EXT" per item, in the selection's order, relative to the prefix.
    std::vector<std::string> Describe(const host::Selection& selection) const
    {
        std::vector<std::string> items;
        for (const host::SelectedItem& item : selection.Items())
            items.push_back(item.basePath.lexically_relative(prefix_.Path()).string() + ":" +
                            host::JoinExtensions(item.extensions));
        return items;
    }
};

std::string Text(BSTR text)
{
    return text ? pal::ToUtf8(pal::WideView(text, SysStringLen(text))) : "<null>";
}

TEST_F(SelectionTest, AFolderBringsItsPicturesByNameWithSameStemFilesAsOneItem)
{
    for (const char* name :
         {"b/IMG_2.jpg", "b/IMG_1.JPG", "b/IMG_1.CR2", "b/notes.txt", "b/inner/IMG_0.jpg", "b/a.Tiff", "b/IMG_1.xmp"})
        Touch(name);
    const auto selection = host::Selection::FromPaths({prefix_.Path() / "b"});
    // Not recursive; only picture extensions, any case; extensions in the files' name order.
    EXPECT_EQ((std::vector<std::string>{"b/IMG_1:CR2;JPG", "b/IMG_2:jpg", "b/a:Tiff"}), Describe(selection));
    EXPECT_EQ((std::vector<ULONGLONG>{1, 2, 3}), selection.Ids());
    EXPECT_EQ(nullptr, selection.Find(0));
    EXPECT_EQ(nullptr, selection.Find(4));
    EXPECT_EQ("IMG_2", selection.Find(2)->basePath.filename());
}

TEST_F(SelectionTest, NamedFilesKeepTheirOrderAndJoinTheirStemAcrossTheLineButNotAcrossFolders)
{
    const fs::path z = Touch("x/z.jpg"), mislabelled = Touch("x/scan.dat"), cr2 = Touch("x/IMG_1.CR2"),
                   jpg = Touch("x/IMG_1.JPG"), other = Touch("y/IMG_1.JPG");
    const auto selection = host::Selection::FromPaths({z, mislabelled, jpg, other, cr2, z});
    EXPECT_EQ((std::vector<std::string>{"x/z:jpg", "x/scan:dat", "x/IMG_1:CR2;JPG", "y/IMG_1:JPG"}),
              Describe(selection));
    EXPECT_EQ(1u, selection.Find(1)->files.size()) << "a file named twice is one file";
}

TEST_F(SelectionTest, APathThatIsNotThereOrAFileWithoutExtensionStopsWithItsName)
{
    const fs::path present = Touch("p/a.jpg");
    try {
        host::Selection::FromPaths({present, prefix_.Path() / "p/missing.jpg"});
        FAIL() << "a missing path was taken";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string::npos, std::string(error.what()).find("p/missing.jpg")) << error.what();
    }
    EXPECT_THROW(host::Selection::FromPaths({Touch("p/README")}), std::runtime_error);
}

class ItemRecord : public SelectionTest {
  protected:
    void SetUp() override { contract::PresetHostImageInfo(info_); }
    void TearDown() override { contract::ReleaseHostImageInfo(info_); }

    HRESULT Fill(const host::Selection& selection, ULONGLONG id)
    {
        host_.SetSelection(selection);
        contract::ReleaseHostImageInfo(info_);
        contract::PresetHostImageInfo(info_);
        return host_.GetItemInfo(id, &info_);
    }

    pal::ComPtr<IPublishingHost> object_ = pal::MakeComObject<host::PublishingHost, IPublishingHost>();
    host::PublishingHost& host_ = *static_cast<host::PublishingHost*>(object_.Get());
    HostImageInfo info_{};
};

TEST_F(ItemRecord, PathExtensionsAndTheJpegsMetadataEvenWhenTheRawSortsFirst)
{
    fs::create_directories(prefix_.Path() / "shoot");
    test_pictures::JpegOptions options;
    options.texts = options.camera = true;
    options.dpi = 300;
    test_pictures::WriteJpeg(prefix_.Path() / "shoot/IMG_1.JPG", options);
    test_pictures::WriteTiff(prefix_.Path() / "shoot/IMG_1.CR2", 32, 24, 72); // TIFF-based, without the texts
    const auto selection = host::Selection::FromPaths({prefix_.Path() / "shoot"});

    LONG count = 0;
    HGLOBAL block = nullptr;
    ASSERT_EQ(S_OK, object_->GetSelectedItems(&count, &block));
    EXPECT_EQ(0, count) << "nothing selected yet";
    GlobalFree(block);

    ASSERT_EQ(S_OK, Fill(selection, 1));
    EXPECT_EQ((prefix_.Path() / "shoot/IMG_1").string(), Text(info_.itemPath));
    EXPECT_EQ("CR2;JPG", Text(info_.extensions));
    EXPECT_EQ(test_pictures::kArtist, Text(info_.copyrightGroup[0]));
    EXPECT_NE(0, info_.exifGroup[0]) << "the camera tags are in the EXIF group";
    EXPECT_FLOAT_EQ(300.0f, info_.dpiX);
    EXPECT_FLOAT_EQ(300.0f, info_.dpiY);

    ASSERT_EQ(S_OK, object_->GetSelectedItems(&count, &block));
    EXPECT_EQ(1, count);
    {
        pal::GlobalLockGuard locked(block);
        EXPECT_EQ(1u, *static_cast<const ULONGLONG*>(locked.Data()));
    }
    GlobalFree(block);
    EXPECT_EQ(E_INVALIDARG, Fill(selection, 2));
}

TEST_F(ItemRecord, AFileGoneSinceTheSelectionStillGivesPathAndExtensions)
{
    const fs::path file = test_pictures::WriteJpeg(prefix_.Path() / "gone.jpg", {});
    const auto selection = host::Selection::FromPaths({file});
    fs::remove(file);
    ASSERT_EQ(S_OK, Fill(selection, 1));
    EXPECT_EQ((prefix_.Path() / "gone").string(), Text(info_.itemPath));
    EXPECT_EQ("jpg", Text(info_.extensions));
    EXPECT_EQ(nullptr, info_.copyrightGroup[0]);
    EXPECT_EQ(0.0f, info_.dpiX);
}

} // namespace
