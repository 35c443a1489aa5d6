#include "emulator/crypto.h"
#include "tests/emulator/emulator_client.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <unistd.h>

namespace emulator::testing {
namespace {

using namespace std::string_literals;

class EmulatorUpload : public ::testing::Test {
  protected:
    void SetUp() override
    {
        std::filesystem::create_directories(data_dir_);
        service_.Start();
        client_ = ServiceClient(service_.Port());
        token_ = client_.Login("demo", "zenfolio-demo");
        const SoapReply tree = client_.Call("LoadGroupHierarchy", Element("loginName", "demo"), token_);
        upload_url_ = tree.xml.Text("//z:PhotoSet[z:Title='Kyoto in Autumn']/z:UploadUrl");
        collection_id_ = tree.xml.Text("//z:PhotoSet[z:Type='Collection']/z:Id");
        ASSERT_FALSE(upload_url_.empty());
    }
    void TearDown() override
    {
        service_.Stop();
        std::filesystem::remove_all(data_dir_);
    }

    const std::string data_dir_ = ::testing::TempDir() + "emulator-upload-" + std::to_string(::getpid());
    const std::string bytes_ = "\xFF\xD8\xFF\xE0 not quite a JPEG \0 with a zero"s;
    ServiceEmulator service_{[this] {
        Options options;
        options.data_dir = data_dir_;
        return options;
    }()};
    ServiceClient client_{0};
    std::string token_, upload_url_, collection_id_;
};

TEST_F(EmulatorUpload, StoresThePhotoAndAnswersItsIdAsDigits)
{
    // "Tour Eiffel été.jpg" and "Tue, 5 Mar 2024 14:03:09", encoded as the client does.
    const std::string query =
        "filename=Tour%20Eiffel%20%C3%A9t%C3%A9%2Ejpg&modified=Tue%2C%205%20Mar%202024%2014%3A03%3A09";
    const auto reply = client_.Upload(upload_url_, query, bytes_, token_, crypto::Base64Encode(crypto::Md5(bytes_)));
    ASSERT_EQ(reply.status, 200) << reply.body;
    const auto photos = service_.Photos();
    ASSERT_EQ(photos.size(), 1u);
    EXPECT_EQ(std::to_string(photos[0].id), reply.body); // the id, in digits alone
    EXPECT_EQ(photos[0].file_name, "Tour Eiffel \xC3\xA9t\xC3\xA9.jpg");
    EXPECT_EQ(photos[0].modified, "Tue, 5 Mar 2024 14:03:09");
    EXPECT_EQ(photos[0].bytes, bytes_);

    const std::string set_dir = data_dir_ + "/demo/p" + std::to_string(photos[0].photo_set_id);
    std::string content;
    for (const auto& entry : std::filesystem::directory_iterator(set_dir))
        if (entry.path().filename().string().rfind(reply.body + "-", 0) == 0)
            content.assign(std::istreambuf_iterator<char>(std::ifstream(entry.path(), std::ios::binary).rdbuf()), {});
    EXPECT_EQ(content, bytes_);

    const SoapReply set = client_.Call("LoadPhotoSet", Element("photoSetId", std::to_string(photos[0].photo_set_id)) +
                                                           Element("level", "Full") + Element("includePhotos", "true"));
    EXPECT_EQ(set.Result("z:PhotoCount"), "1");
    EXPECT_EQ(set.Result("z:Photos/z:Photo/z:Id"), reply.body);
    EXPECT_EQ(client_.Call("LoadPrivateProfile", "", token_).Result("z:PhotoBytes"), std::to_string(bytes_.size()));
}

TEST_F(EmulatorUpload, MismatchedContentMd5IsRefusedAndNothingIsKept)
{
    const auto other_digest = crypto::Base64Encode(crypto::Md5("other bytes"));
    EXPECT_EQ(client_.Upload(upload_url_, "filename=a.jpg", bytes_, token_, other_digest).status, 400);
    EXPECT_EQ(client_.Upload(upload_url_, "filename=a.jpg", bytes_, token_, "not base64!").status, 400);
    EXPECT_TRUE(service_.Photos().empty());
    EXPECT_FALSE(std::filesystem::exists(data_dir_ + "/demo"));
}

TEST_F(EmulatorUpload, RefusesUploadsWithoutTokenNameTypeOrGallery)
{
    const std::string collection_url = "http://up.zenfolio.com/demo/p" + collection_id_ + "/upload.ushx";
    EXPECT_EQ(client_.Upload(upload_url_, "filename=a.jpg", bytes_, "").status, 401);
    EXPECT_EQ(client_.Upload(upload_url_, "filename=a.jpg", bytes_, "bm9wZQ==").status, 401);
    EXPECT_EQ(client_.Upload(upload_url_, "modified=x", bytes_, token_).status, 400);
    EXPECT_EQ(client_.Upload(upload_url_, "filename=a.txt", bytes_, token_, {}, "text/plain").status, 415);
    EXPECT_EQ(client_.Upload(collection_url, "filename=a.jpg", bytes_, token_).status, 404);
    EXPECT_EQ(client_.Upload("http://up.zenfolio.com/demo/p1/upload.ushx", "filename=a.jpg", bytes_, token_).status,
              404);
    EXPECT_TRUE(service_.Photos().empty());
}

TEST_F(EmulatorUpload, NonNumericSwitchAnswersTextThatIsNoId)
{
    service_.InjectFailure(Failure::NonNumericUpload, kUploadEndpoint, 1);
    const auto odd = client_.Upload(upload_url_, "filename=a.jpg", bytes_, token_);
    EXPECT_EQ(odd.status, 200);
    EXPECT_NE(odd.body.find_first_not_of("0123456789"), std::string::npos);
    const auto normal = client_.Upload(upload_url_, "filename=a.jpg", bytes_, token_);
    EXPECT_EQ(normal.body.find_first_not_of("0123456789"), std::string::npos);
    EXPECT_EQ(service_.Photos().size(), 1u);
}

TEST_F(EmulatorUpload, DeletedGalleryIsGoneFromTheTreeRefusesUploadsAndTakesItsPhotosAlong)
{
    ASSERT_EQ(client_.Upload(upload_url_, "filename=a.jpg", bytes_, token_).status, 200);
    const std::int64_t id = service_.Photos().at(0).photo_set_id;
    const std::string id_text = std::to_string(id);

    ASSERT_TRUE(service_.DeletePhotoSet(id));
    EXPECT_FALSE(service_.DeletePhotoSet(id)) << "a second deletion finds nothing";

    const SoapReply tree = client_.Call("LoadGroupHierarchy", Element("loginName", "demo"), token_);
    EXPECT_EQ(tree.xml.Count("//z:PhotoSet[z:Id='" + id_text + "']"), 0);
    EXPECT_EQ(tree.xml.Count("//z:PhotoSet"), 3) << "the other sets stay";
    const SoapReply set = client_.Call("LoadPhotoSet", Element("photoSetId", id_text) + Element("level", "Level1"));
    EXPECT_EQ(set.FaultCode(), "E_NOSUCHOBJECT");
    EXPECT_EQ(client_.Upload(upload_url_, "filename=b.jpg", bytes_, token_).status, 404);
    EXPECT_TRUE(service_.Photos().empty());
    EXPECT_EQ(client_.Call("LoadPrivateProfile", "", token_).Result("z:PhotoBytes"), "0");
}

} // namespace
} // namespace emulator::testing
