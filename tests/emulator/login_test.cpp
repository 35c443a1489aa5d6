#include "emulator/crypto.h"
#include "tests/emulator/emulator_client.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace emulator::testing {
namespace {

class EmulatorLogin : public ::testing::Test {
  protected:
    void SetUp() override
    {
        service_.Start();
        client_ = ServiceClient(service_.Port());
    }

    SoapReply Challenge(const std::string& login) { return client_.Call("GetChallenge", Element("loginName", login)); }
    SoapReply Authenticate(const std::string& challenge, const std::string& proof)
    {
        return client_.Call("Authenticate", Element("challenge", challenge) + Element("proof", proof));
    }

    ServiceEmulator service_;
    ServiceClient client_{0};
};

TEST_F(EmulatorLogin, RefusalsAreFaultsNamingTheErrorCode)
{
    const SoapReply challenge = Challenge("demo");
    const SoapReply wrong = Authenticate(challenge.Result("z:Challenge"), client_.Proof(challenge, "not-the-password"));
    EXPECT_EQ(wrong.status, 500);
    EXPECT_EQ(wrong.FaultCode(), "E_INVALIDCREDENTIALS");
    EXPECT_EQ(wrong.xml.Text("//s:Fault/faultcode"), "soap:Client");
    EXPECT_EQ(wrong.xml.Count("//s:Fault/detail[not(node())]"), 1);

    EXPECT_EQ(Challenge("nobody").FaultCode(), "E_INVALIDCREDENTIALS");
    // The client leaves out an empty proof; that is a refusal too.
    EXPECT_EQ(client_.Call("Authenticate", Element("challenge", Challenge("demo").Result("z:Challenge"))).FaultCode(),
              "E_INVALIDCREDENTIALS");

    service_.SetFaultStatus(200);
    EXPECT_EQ(Challenge("nobody").status, 200);
}

TEST_F(EmulatorLogin, AChallengeIsSpentByItsFirstUse)
{
    const SoapReply first = Challenge("demo");
    const std::string challenge = first.Result("z:Challenge");
    const std::string proof = client_.Proof(first, "zenfolio-demo");
    EXPECT_TRUE(Authenticate(challenge, proof).FaultCode().empty());
    EXPECT_EQ(Authenticate(challenge, proof).FaultCode(), "E_INVALIDCREDENTIALS");

    // A failed attempt spends it as well.
    const SoapReply second = Challenge("demo");
    Authenticate(second.Result("z:Challenge"), client_.Proof(second, "guess"));
    EXPECT_EQ(Authenticate(second.Result("z:Challenge"), client_.Proof(second, "zenfolio-demo")).FaultCode(),
              "E_INVALIDCREDENTIALS");
}

TEST_F(EmulatorLogin, CallsOnTheAccountNeedALiveToken)
{
    EXPECT_EQ(client_.Call("LoadPrivateProfile", "").FaultCode(), "E_NOTAUTHENTICATED");
    EXPECT_EQ(client_.Call("LoadPrivateProfile", "", "bm90IGEgdG9rZW4=").FaultCode(), "E_NOTAUTHENTICATED");
    // A stale token sent along with a new login does not stand in its way.
    EXPECT_TRUE(client_.Call("GetChallenge", Element("loginName", "demo"), "bm90IGEgdG9rZW4=").FaultCode().empty());

    Options options;
    options.token_lifetime = std::chrono::seconds(0);
    ServiceEmulator expiring(options);
    expiring.Start();
    ServiceClient client(expiring.Port());
    const std::string token = client.Login("demo", "zenfolio-demo");
    ASSERT_FALSE(token.empty());
    EXPECT_EQ(client.Call("LoadPrivateProfile", "", token).FaultCode(), "E_NOTAUTHENTICATED");
}

TEST_F(EmulatorLogin, SoapActionMustNameTheCalledMethod)
{
    const SoapReply reply =
        client_.Call("GetChallenge", Element("loginName", "demo"), "", std::string(kNamespace) + "/GetCategories");
    EXPECT_EQ(reply.FaultCode(), "E_INVALIDPARAM");
    const SoapReply quoted = client_.Call("GetChallenge", Element("loginName", "demo"), "",
                                          "\"" + std::string(kNamespace) + "/GetChallenge\"");
    EXPECT_TRUE(quoted.FaultCode().empty());
    EXPECT_EQ(quoted.content_type, "text/xml; charset=utf-8");
}

TEST(EmulatorAccounts, AccountsFromAFileLogInByNameOrEmailAndKeepTheirChallenges)
{
    const std::string path = ::testing::TempDir() + "accounts-" + std::to_string(::getpid()) + ".txt";
    std::ofstream(path) << "[account]\nlogin = alice\nemail = Alice@Example.com\npassword = p\xC3\xA4sswort\n"
                           "display-name = Alice Example\n\n[account]\nlogin = bob\npassword = hunter2\nsalt =\n";
    Options options;
    options.accounts_file = path;
    ServiceEmulator service(options);
    std::filesystem::remove(path);
    service.Start();
    ServiceClient client(service.Port());

    EXPECT_FALSE(client.Login("alice@example.com", "p\xC3\xA4sswort").empty());
    EXPECT_FALSE(client.Login("bob", "hunter2").empty());
    EXPECT_TRUE(client.Login("demo", "zenfolio-demo").empty());
    // Bob's correct proof over a challenge issued to Alice opens nothing.
    const SoapReply alice = client.Call("GetChallenge", Element("loginName", "alice"));
    const auto challenge = crypto::Base64Decode(alice.Result("z:Challenge"));
    const std::string proof = crypto::Base64Encode(crypto::Sha256(*challenge, crypto::Sha256("", "hunter2")));
    EXPECT_EQ(client.Call("Authenticate", Element("challenge", alice.Result("z:Challenge")) + Element("proof", proof))
                  .FaultCode(),
              "E_INVALIDCREDENTIALS");
}

} // namespace
} // namespace emulator::testing
