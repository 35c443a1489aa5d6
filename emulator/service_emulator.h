#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A local stand-in for the Zenfolio service's API 1.6: the SOAP endpoint, the
// photo upload addresses, and an HTTP proxy front for the service's host names.
// It binds 127.0.0.1 only and never connects anywhere.
namespace emulator {

struct Options {
    std::uint16_t port = 0;    // 0 picks a free port
    std::string data_dir;      // received photos are also written here; empty: memory only
    std::string accounts_file; // empty: the demo account (docs/emulator.md)
    int fault_status = 500;    // HTTP status of SOAP faults, as ASP.NET answers them
    std::chrono::seconds token_lifetime = std::chrono::hours(24);
    std::chrono::milliseconds stall_duration = std::chrono::seconds(30);
};

// Ways the emulator can be told to misbehave.
enum class Failure {
    RefuseLogin,      // Authenticate faults E_INVALIDCREDENTIALS whatever the proof
    ServerFault,      // HTTP 500 with a SOAP fault E_UNSPECIFIEDERROR (uploads: 500, text)
    FaultWithOk,      // HTTP 200 with a SOAP fault E_UNSPECIFIEDERROR (uploads: 200, error text)
    HtmlError,        // HTTP 500 with an HTML error page
    Stall,            // waits stall_duration, then answers normally; Stop hangs up instead
    DropConnection,   // closes the connection without answering
    NonNumericUpload, // an upload answers 200 with a text that is no photo id
};

// Endpoint names for InjectFailure: a SOAP method name ("GetChallenge", ...),
// kUploadEndpoint for photo uploads, or kAnyEndpoint.
inline constexpr std::string_view kAnyEndpoint = "";
inline constexpr std::string_view kUploadEndpoint = "Upload";

struct RecordedRequest {
    std::string method;
    std::string target; // as in the request line: origin or absolute form
    std::string version;
    std::vector<std::pair<std::string, std::string>> headers; // order and case as received
    std::string body;

    // First header of that name, compared without regard to case.
    std::optional<std::string> Header(std::string_view name) const;
};

struct ReceivedPhoto {
    std::int64_t id = 0;
    std::int64_t photo_set_id = 0;
    std::string owner;
    std::string file_name;
    std::string modified;
    std::string content_type;
    std::string bytes;
};

struct PhotoSetInfo {
    std::int64_t id = 0;
    std::int64_t group_id = 0;
    bool gallery = true;
    std::string title;
    std::string caption;
    std::vector<std::string> keywords;
    std::vector<std::int64_t> categories;
    std::string custom_reference;
    std::string upload_url; // empty for collections
};

class ServiceEmulator {
  public:
    // Reads the accounts; throws std::runtime_error for a bad accounts file.
    explicit ServiceEmulator(Options options = {});
    ~ServiceEmulator();
    ServiceEmulator(const ServiceEmulator&) = delete;
    ServiceEmulator& operator=(const ServiceEmulator&) = delete;

    // Binds 127.0.0.1 and serves on its own threads. Throws std::system_error.
    void Start();
    // Releases stalled requests, hangs up every connection and joins all threads.
    void Stop();
    std::uint16_t Port() const;
    std::string Url() const; // http://127.0.0.1:PORT

    std::vector<RecordedRequest> Requests() const;
    void ClearRequests();

    // times < 0: until cleared; otherwise the next `times` matching requests.
    // A rule for one endpoint wins over a rule for any endpoint.
    void InjectFailure(Failure failure, std::string_view endpoint = kAnyEndpoint, int times = -1);
    // Removes every rule and lets stalled requests answer at once.
    void ClearFailures();
    void SetFaultStatus(int status);
    void SetStallDuration(std::chrono::milliseconds duration); // at most 10 minutes

    // A live token for an account, as a successful login would give.
    std::string IssueToken(std::string_view login);
    std::vector<ReceivedPhoto> Photos() const;
    std::vector<PhotoSetInfo> PhotoSets(std::string_view login) const;
    // Deletes a gallery or collection as its owner would on the site; false
    // when no set has that id. Later calls on it answer E_NOSUCHOBJECT.
    bool DeletePhotoSet(std::int64_t id);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace emulator
