#include "emulator/upload_service.h"

#include "emulator/crypto.h"
#include "emulator/soap_fault.h"
#include "emulator/text_util.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

namespace emulator {
namespace {

struct UploadTarget {
    std::string login;
    std::int64_t set_id = 0;
};

std::optional<UploadTarget> ParseUploadPath(std::string_view encoded_path)
{
    const std::string path = PercentDecode(encoded_path, false);
    std::vector<std::string_view> parts;
    std::string_view rest(path);
    if (rest.empty() || rest.front() != '/') return std::nullopt;
    rest.remove_prefix(1);
    while (!rest.empty()) {
        const std::size_t slash = rest.find('/');
        parts.push_back(rest.substr(0, slash));
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    }
    if (parts.size() != 3 || parts[0].empty() || !EqualsIgnoreCase(parts[2], "upload.ushx")) return std::nullopt;
    const std::string_view id = parts[1];
    if (id.size() < 2 || id.front() != 'p') return std::nullopt;
    UploadTarget target{std::string(parts[0]), 0};
    auto [end, error] = std::from_chars(id.data() + 1, id.data() + id.size(), target.set_id);
    if (error != std::errc() || end != id.data() + id.size()) return std::nullopt;
    return target;
}

HttpResponse Refusal(int status, const char* code, const std::string& message)
{
    HttpResponse response;
    response.status = status;
    response.content_type = "text/plain; charset=utf-8";
    response.body = std::string(code) + ": " + message;
    return response;
}

// Keeps a received file name usable on disk whatever the client sent.
std::string SafeFileName(std::string_view name)
{
    std::string out;
    for (char c : name) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                           c == '-' || c == '_';
        out.push_back(plain ? c : '_');
    }
    return out;
}

} // namespace

bool UploadService::IsUploadPath(std::string_view path)
{
    return ParseUploadPath(path).has_value();
}

HttpResponse UploadService::Handle(const HttpRequest& request, std::string_view path, std::string_view query)
{
    if (request.method != "POST") {
        HttpResponse response = Refusal(405, "E_INVALIDPARAM", "Uploads are POST requests.");
        response.extra_headers.emplace_back("Allow", "POST");
        return response;
    }
    const auto target = ParseUploadPath(path);
    if (!target) return Refusal(404, "E_NOSUCHOBJECT", "Not an upload address.");

    const auto token = FindHeader(request.headers, "X-Zenfolio-Token");
    const auto caller = token ? sessions_.LoginForToken(*token) : std::nullopt;
    if (!caller) return Refusal(401, "E_NOTAUTHENTICATED", "The upload needs a live login token.");

    std::string file_name, modified;
    for (const auto& [key, value] : ParseQuery(query)) {
        if (key == "filename" && file_name.empty()) file_name = value;
        if (key == "modified" && modified.empty()) modified = value;
    }
    if (Trim(file_name).empty()) return Refusal(400, "E_INVALIDPARAM", "The filename query parameter is missing.");
    if (!IsXmlSafeUtf8(file_name)) return Refusal(400, "E_INVALIDPARAM", "The file name is not UTF-8 text.");
    const auto content_type = FindHeader(request.headers, "Content-Type");
    if (!content_type || ToLower(*content_type).rfind("image/", 0) != 0) {
        return Refusal(415, "E_INVALIDPARAM", "The Content-Type must be an image type.");
    }
    if (request.body.empty()) return Refusal(400, "E_INVALIDPARAM", "The upload carries no bytes.");
    if (const auto md5 = FindHeader(request.headers, "Content-MD5")) {
        const auto digest = crypto::Base64Decode(*md5);
        if (!digest || !crypto::ConstantTimeEqual(*digest, crypto::Md5(request.body))) {
            return Refusal(400, "E_INVALIDPARAM", "Content-MD5 does not match the received bytes.");
        }
    }

    Photo photo;
    photo.file_name = file_name;
    photo.modified = modified;
    photo.content_type = std::string(*content_type);
    photo.bytes = request.body;
    photo.uploaded_on = CurrentDateTime();
    std::optional<Photo> stored;
    try {
        stored = state_.Write([&](ServiceData& data) -> Photo {
            PhotoSet* set = data.FindPhotoSet(target->set_id);
            if (!set || set->type != PhotoSetType::Gallery || !EqualsIgnoreCase(set->owner, target->login)) {
                throw ServiceFault("E_NOSUCHOBJECT", "No gallery at this upload address.");
            }
            if (set->owner != *caller) throw ServiceFault("E_NOTAUTHORIZED", "The gallery belongs to another user.");
            return data.AddPhoto(*set, std::move(photo));
        });
    } catch (const ServiceFault& fault) {
        return Refusal(fault.Code() == "E_NOTAUTHORIZED" ? 403 : 404, fault.Code().c_str(), fault.what());
    }
    if (!data_dir_.empty()) {
        try {
            Persist(target->login, target->set_id, *stored);
        } catch (const std::exception& error) {
            return Refusal(500, "E_UNSPECIFIEDERROR", error.what());
        }
    }
    HttpResponse response;
    response.content_type = "text/plain; charset=utf-8";
    response.body = std::to_string(stored->id);
    return response;
}

void UploadService::Persist(const std::string& owner, std::int64_t set_id, const Photo& photo) const
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(data_dir_) / SafeFileName(owner) / ("p" + std::to_string(set_id));
    fs::create_directories(folder);
    const std::string stem = std::to_string(photo.id);
    {
        std::ofstream bytes(folder / (stem + "-" + SafeFileName(photo.file_name)), std::ios::binary | std::ios::trunc);
        bytes.write(photo.bytes.data(), static_cast<std::streamsize>(photo.bytes.size()));
        if (!bytes.flush()) throw std::runtime_error("cannot write the photo under " + folder.string());
    }
    std::ofstream about(folder / (stem + ".txt"), std::ios::trunc);
    about << "filename=" << photo.file_name << "\nmodified=" << photo.modified
          << "\ncontent-type=" << photo.content_type << "\nsize=" << photo.bytes.size()
          << "\nuploaded-on=" << photo.uploaded_on << "\n";
    if (!about.flush()) throw std::runtime_error("cannot write the photo description under " + folder.string());
}

} // namespace emulator
