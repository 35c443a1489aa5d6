#include "tests/emulator/emulator_client.h"

#include <gtest/gtest.h>
#include <set>

namespace emulator::testing {
namespace {

constexpr std::int64_t k2Pow32 = 4294967296LL;

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

TEST_F(EmulatorCatalogue, DemoHierarchyMixesTwoGroupsWithThreeGalleriesAndACollection)
{
    const SoapReply tree = Hierarchy();
    const std::string root = "/s:Envelope/s:Body/z:LoadGroupHierarchyResponse/z:LoadGroupHierarchyResult";
    EXPECT_EQ(tree.xml.Count(root + "/z:Elements/z:Group"), 2);
    EXPECT_EQ(tree.xml.Count(root + "//z:PhotoSet[z:Type='Gallery']"), 3);
    EXPECT_EQ(tree.xml.Count(root + "/z:Elements/z:PhotoSet[z:Type='Collection']"), 1);
    EXPECT_EQ(tree.xml.Count(root + "/z:Elements/z:PhotoSet[z:Type='Collection']/z:UploadUrl"), 0);
    // Groups and sets alternate, so readers cannot assume one kind comes first.
    EXPECT_EQ(tree.xml.Count(root + "/z:Elements/*[1][self::z:Group]"), 1);
    EXPECT_EQ(tree.xml.Count(root + "/z:Elements/*[2][self::z:PhotoSet]"), 1);

    std::set<std::string> ids;
    for (const std::string& id : tree.xml.Texts(root + "//z:Id")) {
        EXPECT_GT(std::stoll(id), k2Pow32);
        ids.insert(id);
    }
    EXPECT_EQ(ids.size(), 7u);
    for (const std::string& id : tree.xml.Texts(root + "//z:PhotoSet[z:Type='Gallery']/z:Id")) {
        const std::string set = root + "//z:PhotoSet[z:Id='" + id + "']";
        EXPECT_EQ(tree.xml.Text(set + "/z:UploadUrl"), "http://up.zenfolio.com/demo/p" + id + "/upload.ushx");
        EXPECT_EQ(tree.xml.Text(set + "/z:PageUrl"), "http://demo.zenfolio.com/p" + id);
        EXPECT_EQ(tree.xml.Count(set + "/../../z:Title"), 1);
    }
    EXPECT_EQ(client_.Call("LoadGroupHierarchy", Element("loginName", "nobody")).FaultCode(), "E_NOSUCHOBJECT");
    EXPECT_EQ(client_.Call("LoadGroupHierarchy", "").FaultCode(), "E_INVALIDPARAM");
}

TEST_F(EmulatorCatalogue, CategoriesFormAThreeLevelTreeWithoutLeadingZeros)
{
    const SoapReply reply = client_.Call("GetCategories", "");
    const std::string list = "/s:Envelope/s:Body/*/z:GetCategoriesResult/z:Category";
    const auto codes = reply.xml.Texts(list + "/z:Code");
    EXPECT_GE(codes.size(), 30u);
    EXPECT_EQ(reply.xml.Text(list + "[z:Code='12003006']/z:DisplayName"), "China");
    const std::set<std::string> known(codes.begin(), codes.end());
    std::set<long long> top_levels;
    for (const std::string& code : codes) {
        ASSERT_NE(code.front(), '0');
        const long long value = std::stoll(code);
        ASSERT_LT(value, 1000000000LL);
        const long long category = value / 1000000 * 1000000, subcategory = value / 1000 * 1000;
        EXPECT_TRUE(known.count(std::to_string(category))) << code;
        EXPECT_TRUE(known.count(std::to_string(subcategory))) << code;
        top_levels.insert(category);
        if (value % 1000 != 0) {
            EXPECT_NE(value % 1000000 / 1000, 0) << "details need a subcategory: " << code;
        }
    }
    EXPECT_GE(top_levels.size(), 5u);
}

TEST_F(EmulatorCatalogue, PhotoSetFieldsGrowWithTheLevel)
{
    const std::string id = Hierarchy().xml.Text("//z:PhotoSet[z:Title='Kyoto in Autumn']/z:Id");
    const std::string result = "/s:Envelope/s:Body/*/z:LoadPhotoSetResult";

    const SoapReply level1 = LoadPhotoSet(id, "Level1");
    EXPECT_EQ(level1.Result("z:Title"), "Kyoto in Autumn");
    EXPECT_EQ(level1.Result("z:Type"), "Gallery");
    EXPECT_EQ(level1.Result("z:UploadUrl"), "http://up.zenfolio.com/demo/p" + id + "/upload.ushx");
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
    EXPECT_GT(std::stoll(id), k2Pow32);
    EXPECT_EQ(created.Result("z:UploadUrl"), "http://up.zenfolio.com/demo/p" + id + "/upload.ushx");

    const SoapReply tree = Hierarchy();
    const std::string set = "//z:Group[z:Title='Travel']/z:Elements/z:PhotoSet[z:Id='" + id + "']";
    EXPECT_EQ(tree.xml.Text(set + "/z:Title"), "Lisbon & Porto");
    EXPECT_EQ(tree.xml.Texts(set + "/z:Keywords/z:Keyword"), (std::vector<std::string>{"Portugal", "tiles"}));
    EXPECT_EQ(tree.xml.Texts(set + "/z:Categories/z:Category"), (std::vector<std::string>{"12004000", "12000000"}));
    EXPECT_EQ(LoadPhotoSet(id, "Full").Result("z:CustomReference"), "trip-42");
    ASSERT_EQ(service_.PhotoSets("demo").size(), 5u);
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
