// Owning wrappers for libcurl's easy handles and header lists. libcurl's
// global state is set up once, on first use, and kept for the process.
#pragma once

#include <curl/curl.h>
#include <memory>
#include <string>

namespace pal::http {

struct CurlEasyDeleter {
    void operator()(CURL* curl) const noexcept { curl_easy_cleanup(curl); }
};
using CurlEasy = std::unique_ptr<CURL, CurlEasyDeleter>;

struct CurlSlistDeleter {
    void operator()(curl_slist* list) const noexcept { curl_slist_free_all(list); }
};

class CurlHeaderList {
  public:
    // False when out of memory.
    bool Append(const std::string& line)
    {
        curl_slist* grown = curl_slist_append(list_.get(), line.c_str());
        if (!grown) return false;
        (void)list_.release();
        list_.reset(grown);
        return true;
    }
    curl_slist* Get() const noexcept { return list_.get(); }
    curl_slist* Release() noexcept { return list_.release(); }

  private:
    std::unique_ptr<curl_slist, CurlSlistDeleter> list_;
};

// Sets up libcurl's global state once; false when it cannot be.
bool InitialiseCurl();
// A new easy handle; null when libcurl cannot be set up or is out of memory.
CurlEasy NewCurlEasy();

} // namespace pal::http
