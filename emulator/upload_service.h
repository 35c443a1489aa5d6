#pragma once

#include "emulator/http_message.h"
#include "emulator/login_sessions.h"
#include "emulator/service_data.h"

#include <string>
#include <string_view>

namespace emulator {

// Photo uploads: POST of the raw bytes to a gallery's UploadUrl path,
// /<login>/p<id>/upload.ushx?filename=...&modified=...
class UploadService {
  public:
    UploadService(ServiceState& state, LoginSessions& sessions, std::string data_dir)
        : state_(state), sessions_(sessions), data_dir_(std::move(data_dir))
    {
    }

    static bool IsUploadPath(std::string_view path);

    // path is still percent-encoded, query is the raw query text.
    HttpResponse Handle(const HttpRequest& request, std::string_view path, std::string_view query);

  private:
    // Writes the bytes and a small description beside them; throws on I/O errors.
    void Persist(const std::string& owner, std::int64_t set_id, const Photo& photo) const;

    ServiceState& state_;
    LoginSessions& sessions_;
    std::string data_dir_;
};

} // namespace emulator
