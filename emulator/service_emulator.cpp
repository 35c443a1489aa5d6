#include "emulator/service_emulator.h"

#include "emulator/account_config.h"
#include "emulator/failure_switches.h"
#include "emulator/http_server.h"
#include "emulator/login_sessions.h"
#include "emulator/service_data.h"
#include "emulator/service_xml.h"
#include "emulator/soap_envelope.h"
#include "emulator/soap_service.h"
#include "emulator/text_util.h"
#include "emulator/upload_service.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <stdexcept>

namespace emulator {
namespace {

constexpr std::string_view kSoapPath = "/api/1.6/zfapi.asmx";
constexpr std::string_view kServiceHosts[] = {"api.zenfolio.com", "www.zenfolio.com", "up.zenfolio.com"};

HttpResponse Text(int status, std::string body)
{
    HttpResponse response;
    response.status = status;
    response.content_type = "text/plain; charset=utf-8";
    response.body = std::move(body);
    return response;
}

HttpResponse Xml(int status, std::string body)
{
    HttpResponse response;
    response.status = status;
    response.content_type = "text/xml; charset=utf-8";
    response.body = std::move(body);
    return response;
}

HttpResponse Dropped()
{
    HttpResponse response;
    response.drop_connection = true;
    return response;
}

HttpResponse HtmlErrorPage()
{
    HttpResponse response;
    response.status = 500;
    response.content_type = "text/html; charset=utf-8";
    response.body = "<!DOCTYPE html>\n<html><head><title>Runtime Error</title></head><body>"
                    "<h1>Server Error in '/' Application.</h1><h2><i>Runtime Error</i></h2>"
                    "<p>An application error occurred on the server.</p></body></html>\n";
    return response;
}

bool IsServiceHost(std::string_view host)
{
    for (std::string_view known : kServiceHosts) {
        if (host == known) return true;
    }
    return false;
}

// SOAPAction may come quoted or bare; ASP.NET takes both.
std::string_view UnquotedAction(std::optional<std::string_view> action)
{
    if (!action) return {};
    std::string_view value = Trim(*action);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    return value;
}

// The method that SOAPAction names: the part after the last "/".
std::string ActionMethod(std::optional<std::string_view> action)
{
    const std::string_view value = UnquotedAction(action);
    return std::string(value.substr(value.rfind('/') + 1));
}

ServiceFault InjectedFault()
{
    return ServiceFault("E_UNSPECIFIEDERROR", "An unexpected error occurred.", ServiceFault::Side::Server);
}

} // namespace

std::optional<std::string> RecordedRequest::Header(std::string_view name) const
{
    if (auto value = FindHeader(headers, name)) return std::string(*value);
    return std::nullopt;
}

struct ServiceEmulator::Impl {
    explicit Impl(Options opts)
        : options(std::move(opts)),
          state(options.accounts_file.empty() ? DemoAccounts() : LoadAccountsFile(options.accounts_file)),
          sessions(options.token_lifetime), soap(state, sessions), uploads(state, sessions, options.data_dir),
          fault_status(options.fault_status), server([this](const HttpRequest& request) { return Handle(request); })
    {
        failures.SetStallDuration(options.stall_duration);
    }

    HttpResponse Handle(const HttpRequest& request);
    HttpResponse HandleSoap(const HttpRequest& request);
    HttpResponse HandleUpload(const HttpRequest& request, const RequestTarget& target);
    void Record(const HttpRequest& request);

    Options options;
    ServiceState state;
    LoginSessions sessions;
    SoapService soap;
    UploadService uploads;
    FailureSwitches failures;
    std::atomic<int> fault_status;
    mutable std::mutex requests_mutex;
    std::vector<RecordedRequest> requests;
    HttpServer server; // last: its threads use everything above
};

void ServiceEmulator::Impl::Record(const HttpRequest& request)
{
    RecordedRequest record{request.method, request.target, request.version, request.headers, request.body};
    std::lock_guard lock(requests_mutex);
    requests.push_back(std::move(record));
}

HttpResponse ServiceEmulator::Impl::Handle(const HttpRequest& request)
{
    Record(request);
    // Tunnels would reach hosts other than the service's; this proxy has none.
    if (request.method == "CONNECT") return Text(502, "This proxy forwards nothing.");
    const auto target = SplitTarget(request.target);
    if (!target) return Text(400, "Bad request target.");
    if (target->absolute &&
        (target->scheme != "http" || !IsServiceHost(target->host) || (target->port != 0 && target->port != 80))) {
        return Text(502, "This proxy serves only the emulated service and forwards nothing.");
    }
    if (EqualsIgnoreCase(target->path, kSoapPath)) return HandleSoap(request);
    if (UploadService::IsUploadPath(target->path)) return HandleUpload(request, *target);
    return Text(404, "Not found.");
}

HttpResponse ServiceEmulator::Impl::HandleSoap(const HttpRequest& request)
{
    if (request.method != "POST") {
        HttpResponse response = Text(405, "The service answers POST only.");
        response.extra_headers.emplace_back("Allow", "POST");
        return response;
    }
    const auto action = FindHeader(request.headers, "SOAPAction");
    const std::string method = ActionMethod(action);
    using enum Failure;
    const auto failure =
        method == "Authenticate"
            ? failures.Take(method, {ServerFault, FaultWithOk, HtmlError, Stall, DropConnection, RefuseLogin})
            : failures.Take(method, {ServerFault, FaultWithOk, HtmlError, Stall, DropConnection});
    if (failure == DropConnection) return Dropped();
    if (failure == Stall && !failures.Stall()) return Dropped();
    if (failure == HtmlError) return HtmlErrorPage();
    if (failure == ServerFault) return Xml(500, FaultEnvelope(InjectedFault()));
    if (failure == FaultWithOk) return Xml(200, FaultEnvelope(InjectedFault()));

    const auto content_type = FindHeader(request.headers, "Content-Type");
    if (!content_type || ToLower(*content_type).rfind("text/xml", 0) != 0) {
        return Text(415, "SOAP 1.1 requests are text/xml.");
    }
    try {
        const SoapRequest parsed = SoapRequest::Parse(request.body);
        if (UnquotedAction(action) != std::string(kServiceNamespace) + "/" + parsed.Method()) {
            throw ServiceFault("E_INVALIDPARAM", "Server did not recognize the value of HTTP Header SOAPAction: " +
                                                     std::string(action.value_or("")) + ".");
        }
        CallContext context;
        if (const auto token = FindHeader(request.headers, "X-Zenfolio-Token")) context.token = std::string(*token);
        context.refuse_logins = failure == RefuseLogin;
        return Xml(200, soap.Call(parsed, context));
    } catch (const ServiceFault& fault) {
        return Xml(fault_status.load(), FaultEnvelope(fault));
    }
}

HttpResponse ServiceEmulator::Impl::HandleUpload(const HttpRequest& request, const RequestTarget& target)
{
    using enum Failure;
    const auto failure =
        failures.Take(kUploadEndpoint, {ServerFault, FaultWithOk, HtmlError, Stall, DropConnection, NonNumericUpload});
    if (failure == DropConnection) return Dropped();
    if (failure == Stall && !failures.Stall()) return Dropped();
    if (failure == HtmlError) return HtmlErrorPage();
    if (failure == ServerFault) return Text(500, "E_UNSPECIFIEDERROR: An unexpected error occurred.");
    if (failure == FaultWithOk) return Text(200, "E_UNSPECIFIEDERROR: An unexpected error occurred.");
    if (failure == NonNumericUpload) return Text(200, "Upload queued for processing");
    return uploads.Handle(request, target.path, target.query);
}

ServiceEmulator::ServiceEmulator(Options options) : impl_(std::make_unique<Impl>(std::move(options))) {}

ServiceEmulator::~ServiceEmulator()
{
    Stop();
}

void ServiceEmulator::Start()
{
    impl_->failures.Reset();
    impl_->server.Start(impl_->options.port);
}

void ServiceEmulator::Stop()
{
    impl_->failures.BeginStop();
    impl_->server.Stop();
}

std::uint16_t ServiceEmulator::Port() const
{
    return impl_->server.Port();
}

std::string ServiceEmulator::Url() const
{
    return "http://127.0.0.1:" + std::to_string(Port());
}

std::vector<RecordedRequest> ServiceEmulator::Requests() const
{
    std::lock_guard lock(impl_->requests_mutex);
    return impl_->requests;
}

void ServiceEmulator::ClearRequests()
{
    std::lock_guard lock(impl_->requests_mutex);
    impl_->requests.clear();
}

void ServiceEmulator::InjectFailure(Failure failure, std::string_view endpoint, int times)
{
    impl_->failures.Add(failure, std::string(endpoint), times);
}

void ServiceEmulator::ClearFailures()
{
    impl_->failures.Clear();
}

void ServiceEmulator::SetFaultStatus(int status)
{
    impl_->fault_status = status;
}

void ServiceEmulator::SetStallDuration(std::chrono::milliseconds duration)
{
    impl_->failures.SetStallDuration(duration);
}

std::string ServiceEmulator::IssueToken(std::string_view login)
{
    const auto account_login = impl_->state.Read([&](const ServiceData& data) -> std::optional<std::string> {
        const Account* account = data.FindAccountByLogin(login);
        return account ? std::optional(account->login) : std::nullopt;
    });
    if (!account_login) throw std::invalid_argument("no account " + std::string(login));
    return impl_->sessions.IssueToken(*account_login);
}

std::vector<ReceivedPhoto> ServiceEmulator::Photos() const
{
    return impl_->state.Read([](const ServiceData& data) {
        std::vector<ReceivedPhoto> out;
        for (const auto& [id, set] : data.PhotoSets()) {
            for (const Photo& photo : set.photos) {
                out.push_back(
                    {photo.id, set.id, set.owner, photo.file_name, photo.modified, photo.content_type, photo.bytes});
            }
        }
        std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
        return out;
    });
}

std::vector<PhotoSetInfo> ServiceEmulator::PhotoSets(std::string_view login) const
{
    return impl_->state.Read([&](const ServiceData& data) {
        std::vector<PhotoSetInfo> out;
        for (const auto& [id, set] : data.PhotoSets()) {
            if (!EqualsIgnoreCase(set.owner, login)) continue;
            const bool gallery = set.type == PhotoSetType::Gallery;
            out.push_back({set.id, set.group_id, gallery, set.title, set.caption, set.keywords, set.categories,
                           set.custom_reference, gallery ? UploadUrl(set) : std::string()});
        }
        return out;
    });
}

bool ServiceEmulator::DeletePhotoSet(std::int64_t id)
{
    return impl_->state.Write([&](ServiceData& data) { return data.DeletePhotoSet(id); });
}

} // namespace emulator
