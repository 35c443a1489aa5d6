#include "tests/emulator/emulator_client.h"

#include <gtest/gtest.h>
#include <set>

namespace emulator::testing {
namespace {

class EmulatorCatalogue : public ::testing::Test {
  protected:
    void SetUp() override
    {
        service_.Start();
        client_ = ServiceClient(service_.Port());
        token_ = client_.Login("demo", "zenfolio-demo");
        ASSERT_FALSE(token_.empty());
    }

    SoapReply Hierarchy() { return client_.Call("LoadGroupHierarchy", Element("loginName", "demo"), token_); }
    SoapReply LoadPhotoSet(const std::string& id, const std::string& level, const std::string& photos = "false")
    {
        return client_.Call("LoadPhotoSet",
                            Element("photoSetId", id) + Element("level", level) + Element("includePhotos", photos));
    }
    SoapReply Create(const std::string& group_id, const std::string& updater, const std::string& token,
                     const std::string& type = "Gallery")
    {
        return client_.Call("CreatePhotoSet",
                            Element("groupId", group_id) + Element("type", type) + Element("updater", updater), token);
    }

    ServiceEmulator service_;
    ServiceClient client_{0};
    std::string token_;
};

TEST_F(EmulatorCatalogue, DemoHierarchyMixesGroupsAndSetsWithDistinctLargeIds)
{
    const SoapReply tree = Hierarchy();
    const std::string elements = "/s:Envelope/s:Body/*/z:LoadGroupHierarchyResult/z:Elements";
    // Groups and sets alternate, so readers cannot assume one kind comes first.
    EXPECT_EQ(tree.xml.Count(elements + "/*[1][self::z:Group]"), 1);
    EXPECT_EQ(tree.xml.Count(elements + "/*[2][self::z:PhotoSet]"), 1);
    EXPECT_EQ(tree.xml.Count(elements + "/z:PhotoSet[z:Type='Collection']/z:UploadUrl"), 0);
    const auto ids = tree.xml.Texts("//z:Id");
    EXPECT_EQ(std::set<std::string>(ids.begin(), ids.end()).size(), 7u) << "two groups, five sets, no id twice";
    for (const std::string& id : ids)
        EXPECT_GT(std::stoll(id), 4294967296LL) << "ids need more than 32 bits";
    EXPECT_EQ(client_.Call("LoadGroupHierarchy", Element("loginName", "nobody")).FaultCode(), "E_NOSUCHOBJECT");
    EXPECT_EQ(client_.Call("LoadGroupHierarchy", "").FaultCode(), "E_INVALIDPARAM");
}

TEST_F(EmulatorCatalogue, EveryCategoryCodeHasItsParentsAndNoLeadingZero)
{
    const auto codes = client_.Call("GetCategories", "").xml.Texts("//z:Category/z:Code");
    const std::set<std::string> known(codes.begin(), codes.end());
    ASSERT_FALSE(codes.empty());
    for (const std::string& code : codes) {
        const long long value = std::stoll(code), category = value / 1000000 * 1000000, sub = value / 1000 * 1000;
        // Nine digits at most; a detail (last three digits) needs a subcategory (middle three).
        EXPECT_TRUE(code.front() != '0' && value < 1000000000LL && known.count(std::to_string(category)) &&
                    known.count(std::to_string(sub)) && (value == sub || sub != category))
            << code;
    }
}

TEST_F(EmulatorCatalogue, PhotoSetFieldsGrowWithTheLevel)
{
    const std::string id = Hierarchy().xml.Text("//z:PhotoSet[z:Title='Kyoto in Autumn']/z:Id");
    const std::string result = "/s:Envelope/s:Body/*/z:LoadPhotoSetResult";

    const SoapReply level1 = LoadPhotoSet(id, "Level1");
    EXPECT_EQ(level1.Result("z:Title"), "Kyoto in Autumn");
    EXPECT_EQ(level1.xml.Count(result + "/z:Caption"), 0);

    const SoapReply level2 = LoadPhotoSet(id, "Level2");
    EXPECT_EQ(level2.Result("z:Caption"), "Temples and maple leaves, November 2023");
    EXPECT_EQ(level2.xml.Count(result + "/z:Keywords/z:Keyword"), 4);
    EXPECT_EQ(level2.xml.Count(result + "/z:Categories/z:Category"), 3);
    EXPECT_EQ(level2.xml.Count(result + "/z:Photos"), 0);

    EXPECT_EQ(LoadPhotoSet(id, "Full").xml.Count(result + "/z:Photos"), 0);
    EXPECT_EQ(LoadPhotoSet(id, "Full", "true").xml.Count(result + "/z:Photos"), 1);

    EXPECT_EQ(LoadPhotoSet("abc", "Level1").FaultCode(), "E_INVALIDPARAM");
    EXPECT_EQ(LoadPhotoSet(id, "Level9").FaultCode(), "E_INVALIDPARAM");
    EXPECT_EQ(LoadPhotoSet("12345", "Level1").FaultCode(), "E_NOSUCHOBJECT");
}

TEST_F(EmulatorCatalogue, CreatedGalleryJoinsItsGroupInTheHierarchy)
{
    const std::string travel = Hierarchy().xml.Text("//z:Group[z:Title='Travel']/z:Id");
    const SoapReply created =
        Create(travel,
               "<Title>Lisbon &amp; Porto</Title><Caption></Caption>"
               "<Keywords><Keyword>Portugal</Keyword><Keyword> tiles </Keyword></Keywords>"
               "<Categories><Category>12004000</Category><Category>12000000</Category></Categories>"
               "<CustomReference>trip-42</CustomReference>",
               token_);
    ASSERT_EQ(created.FaultCode(), "");
    const std::string id = created.Result("z:Id");

    const SoapReply tree = Hierarchy();
    const std::string set = "//z:Group[z:Title='Travel']/z:Elements/z:PhotoSet[z:Id='" + id + "']";
    EXPECT_EQ(tree.xml.Text(set + "/z:Title"), "Lisbon & Porto");
    EXPECT_EQ(tree.xml.Texts(set + "/z:Keywords/z:Keyword"), (std::vector<std::string>{"Portugal", "tiles"}));
    EXPECT_EQ(LoadPhotoSet(id, "Full").Result("z:CustomReference"), "trip-42");
}

TEST_F(EmulatorCatalogue, CreatePhotoSetRefusesBadRequests)
{
    const std::string travel = Hierarchy().xml.Text("//z:Group[z:Title='Travel']/z:Id");
    const std::string good = "<Title>New</Title>";
    EXPECT_EQ(Create(travel, good, "").FaultCode(), "E_NOTAUTHENTICATED");
    EXPECT_EQ(Create("4242", good, token_).FaultCode(), "E_NOSUCHOBJECT");
    EXPECT_EQ(Create(travel, "<Title> </Title>", token_).FaultCode(), "E_INVALIDPARAM");
    EXPECT_EQ(Create(travel, good + "<Categories><Category>999</Category></Categories>", token_).FaultCode(),
              "E_INVALIDPARAM");
    EXPECT_EQ(Create(travel, good, token_, "Album").FaultCode(), "E_INVALIDPARAM");
    EXPECT_EQ(service_.PhotoSets("demo").size(), 4u);
}

} // namespace
} // namespace emulator::testing
