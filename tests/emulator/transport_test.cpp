#include "tests/emulator/emulator_client.h"

#include <chrono>
#include <cstdio>
#include <gtest/gtest.h>
#include <thread>

namespace emulator::testing {
namespace {

const std::string kCategoriesBody = "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                                    "<Envelope xmlns=\"http://schemas.xmlsoap.org/soap/envelope/\"><Body>"
                                    "<GetCategories xmlns=\"http://www.zenfolio.com/api/1.6\"/></Body></Envelope>";

std::string CategoriesRequest(const std::string& target, const std::string& host)
{
    return "POST " + target + " HTTP/1.1\r\nHost: " + host +
           "\r\nContent-Type: text/xml; charset=utf-8\r\nSOAPAction: http://www.zenfolio.com/api/1.6/GetCategories"
           "\r\nContent-Length: " +
           std::to_string(kCategoriesBody.size()) + "\r\nConnection: close\r\n\r\n" + kCategoriesBody;
}

std::string StatusLine(const std::string& reply)
{
    return reply.substr(0, reply.find("\r\n"));
}

class EmulatorTransport : public ::testing::Test {
  protected:
    void SetUp() override
    {
        service_.Start();
        client_ = ServiceClient(service_.Port());
    }

    // Waits until the emulator has recorded `count` requests (bounded, in case it never does).
    void AwaitRequests(std::size_t count)
    {
        for (int i = 0; i < 5000 && service_.Requests().size() < count; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        ASSERT_EQ(service_.Requests().size(), count);
    }

    ServiceEmulator service_;
    ServiceClient client_{0};
};

TEST_F(EmulatorTransport, AbsoluteFormRequestsForTheServiceHostsAreServed)
{
    const std::string target = "http://www.zenfolio.com:80/api/1.6/zfapi.asmx";
    EXPECT_EQ(StatusLine(RawExchange(service_.Port(), CategoriesRequest(target, "www.zenfolio.com"))),
              "HTTP/1.1 200 OK");
    EXPECT_EQ(service_.Requests().back().target, target);

    const std::string upload = service_.PhotoSets("demo").front().upload_url;
    ASSERT_EQ(upload.rfind("http://up.zenfolio.com/", 0), 0u);
    const std::string photo =
        "POST " + upload +
        "?filename=x.jpg HTTP/1.1\r\nHost: up.zenfolio.com\r\nX-Zenfolio-Token: " + service_.IssueToken("demo") +
        "\r\nContent-Type: image/jpeg\r\nContent-Length: 3\r\nConnection: close\r\n\r\nabc";
    EXPECT_EQ(StatusLine(RawExchange(service_.Port(), photo)), "HTTP/1.1 200 OK");
    EXPECT_EQ(service_.Photos().size(), 1u);
}

TEST_F(EmulatorTransport, ServesOnlyTheServiceAddresses)
{
    const std::pair<std::string, std::string> cases[] = {
        {CategoriesRequest("http://example.com/api/1.6/zfapi.asmx", "example.com"), "502 Bad Gateway"},
        {CategoriesRequest("https://api.zenfolio.com/api/1.6/zfapi.asmx", "api.zenfolio.com"), "502 Bad Gateway"},
        {"CONNECT api.zenfolio.com:443 HTTP/1.1\r\nHost: api.zenfolio.com:443\r\nConnection: close\r\n\r\n",
         "502 Bad Gateway"},
        {"GET /api/1.6/zfapi.asmx HTTP/1.1\r\nHost: a\r\nConnection: close\r\n\r\n", "405 Method Not Allowed"},
        {"GET /elsewhere HTTP/1.1\r\nHost: a\r\nConnection: close\r\n\r\n", "404 Not Found"},
        {"NONSENSE\r\n\r\n", "400 Bad Request"},
    };
    for (const auto& [request, status] : cases)
        EXPECT_EQ(StatusLine(RawExchange(service_.Port(), request)), "HTTP/1.1 " + status) << request;
}

TEST_F(EmulatorTransport, RecordedRequestKeepsHeaderOrderAndCase)
{
    const std::vector<std::pair<std::string, std::string>> headers{
        {"host", "127.0.0.1"},  {"X-Zenfolio-User-Agent", "Orvana/1.9"},
        {"SOAPAction", "a"},    {"Accept", "*/*"},
        {"accept", "text/xml"}, {"Content-Length", "1"},
        {"Connection", "close"}};
    std::string request = "POST /elsewhere HTTP/1.1\r\n";
    for (const auto& [name, value] : headers)
        request += name + ": " + value + "\r\n";
    RawExchange(service_.Port(), request + "\r\nx");
    const auto requests = service_.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method + " " + requests[0].target + " " + requests[0].body, "POST /elsewhere x");
    EXPECT_EQ(requests[0].headers, headers);
    EXPECT_EQ(requests[0].Header("ACCEPT"), "*/*");
}

TEST_F(EmulatorTransport, ReadsChunkedBodiesAndPipelinedRequests)
{
    std::string chunked = "POST /api/1.6/zfapi.asmx HTTP/1.1\r\nHost: api.zenfolio.com\r\nContent-Type: text/xml\r\n"
                          "SOAPAction: http://www.zenfolio.com/api/1.6/GetCategories\r\n"
                          "Transfer-Encoding: chunked\r\n\r\n";
    const std::size_t half = kCategoriesBody.size() / 2;
    for (const std::string& piece : {kCategoriesBody.substr(0, half), kCategoriesBody.substr(half)}) {
        char size[16];
        std::snprintf(size, sizeof size, "%zx", piece.size());
        chunked += std::string(size) + ";ext=1\r\n" + piece + "\r\n";
    }
    chunked += "0\r\n\r\n";
    const std::string reply = RawExchange(service_.Port(), chunked + CategoriesRequest("/api/1.6/zfapi.asmx", "a"));
    EXPECT_EQ(StatusLine(reply), "HTTP/1.1 200 OK");
    EXPECT_NE(reply.find("HTTP/1.1 200 OK", reply.find("</soap:Envelope>")), std::string::npos);
    ASSERT_EQ(service_.Requests().size(), 2u);
    EXPECT_EQ(service_.Requests()[0].body, kCategoriesBody);
}

TEST_F(EmulatorTransport, InjectedFailuresShapeTheAnswer)
{
    service_.InjectFailure(Failure::HtmlError, "GetCategories", 1);
    EXPECT_TRUE(client_.Call("GetChallenge", Element("loginName", "demo")).FaultCode().empty());
    const SoapReply html = client_.Call("GetCategories", "");
    EXPECT_EQ(html.status, 500);
    EXPECT_EQ(html.content_type, "text/html; charset=utf-8");
    EXPECT_EQ(client_.Call("GetCategories", "").status, 200);

    service_.InjectFailure(Failure::ServerFault, kAnyEndpoint, 1);
    const SoapReply server_fault = client_.Call("GetCategories", "");
    EXPECT_EQ(server_fault.status, 500);
    EXPECT_EQ(server_fault.FaultCode(), "E_UNSPECIFIEDERROR");
    EXPECT_EQ(server_fault.xml.Text("//s:Fault/faultcode"), "soap:Server");

    service_.InjectFailure(Failure::FaultWithOk, kAnyEndpoint, 1);
    const SoapReply ok_fault = client_.Call("GetCategories", "");
    EXPECT_EQ(ok_fault.status, 200);
    EXPECT_EQ(ok_fault.FaultCode(), "E_UNSPECIFIEDERROR");

    service_.InjectFailure(Failure::DropConnection);
    EXPECT_EQ(RawExchange(service_.Port(), CategoriesRequest("/api/1.6/zfapi.asmx", "a")), "");
    service_.ClearFailures();
    EXPECT_EQ(client_.Call("GetCategories", "").status, 200);
}

TEST_F(EmulatorTransport, StalledRequestIsReleasedByClearingAndByStop)
{
    service_.SetStallDuration(std::chrono::minutes(10));
    service_.InjectFailure(Failure::Stall);
    std::string released;
    std::thread first([&] { released = RawExchange(service_.Port(), CategoriesRequest("/api/1.6/zfapi.asmx", "a")); });
    AwaitRequests(1);
    service_.ClearFailures();
    first.join();
    EXPECT_EQ(StatusLine(released), "HTTP/1.1 200 OK");

    service_.InjectFailure(Failure::Stall);
    std::string stopped = "unset";
    std::thread second([&] { stopped = RawExchange(service_.Port(), CategoriesRequest("/api/1.6/zfapi.asmx", "a")); });
    AwaitRequests(2);
    service_.Stop();
    second.join();
    EXPECT_EQ(stopped, "");
}

} // namespace
} // namespace emulator::testing
