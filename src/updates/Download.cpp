// libcurl easy interface; one handle per download, so any thread may download.
#include "updates/Download.h"

#include <curl/curl.h>

#include <cstdlib>
#include <memory>
#include <mutex>

#include "platform/Log.h"

namespace harbrix {
namespace {

struct Sink {
    Bytes body;
    std::size_t limit = 0;
};

std::size_t collect(char* data, std::size_t size, std::size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const std::size_t length = size * count;
    if (length > sink->limit - sink->body.size()) return 0;  // aborts the transfer
    sink->body.insert(sink->body.end(), data, data + length);
    return length;
}

void initializeOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Scheme, host and port of an address, as libcurl reads it; empty parts when it does not.
struct Origin {
    std::string scheme, host, port;
    bool operator==(const Origin&) const = default;
};

std::string urlPart(CURLU* url, CURLUPart part) {
    char* text = nullptr;
    if (curl_url_get(url, part, &text, CURLU_DEFAULT_PORT) != CURLUE_OK || text == nullptr)
        return {};
    std::string value = text;
    curl_free(text);
    return value;
}

Origin originOf(const std::string& address) {
    std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> url(curl_url(), curl_url_cleanup);
    if (!url || curl_url_set(url.get(), CURLUPART_URL, address.c_str(), 0) != CURLUE_OK) return {};
    return {urlPart(url.get(), CURLUPART_SCHEME), urlPart(url.get(), CURLUPART_HOST),
            urlPart(url.get(), CURLUPART_PORT)};
}

bool isLoopback(const std::string& host) {
    return host == "localhost" || host == "[::1]" || host.rfind("127.", 0) == 0;
}

}  // namespace

bool plainHttpAllowed(const std::string& url) {
    const char* named = std::getenv("HARBRIX_UPDATE_SERVER");
    if (named == nullptr || *named == '\0') return false;
    const Origin server = originOf(named);
    return server.scheme == "http" && isLoopback(server.host) && originOf(url) == server;
}

std::optional<Bytes> downloadURL(const std::string& url, std::size_t limit) {
    if (url.empty()) return std::nullopt;
    initializeOnce();
    // Payloads are verified only against a manifest fetched the same way, so every fetch and
    // every redirect stays on HTTPS. A plain-HTTP loopback server named by
    // HARBRIX_UPDATE_SERVER (the tests') may be fetched from, but never redirects elsewhere.
    const bool plain = plainHttpAllowed(url);
    if (!plain && originOf(url).scheme != "https") {
        logFormat("download refused: %s is not an HTTPS address", url.c_str());
        return std::nullopt;
    }
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) return std::nullopt;
    Sink sink;
    sink.limit = limit;
    CURL* handle = curl.get();
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
#if LIBCURL_VERSION_NUM >= 0x075500
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, plain ? "http,https" : "https");
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "https");
#else
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS,
                     plain ? CURLPROTO_HTTP | CURLPROTO_HTTPS : CURLPROTO_HTTPS);
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS, CURLPROTO_HTTPS);
#endif
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, 20L);
    // A stalled transfer is given up; a slow but moving one may take as long as it needs.
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &sink);
    const CURLcode result = curl_easy_perform(handle);
    if (result == CURLE_UNSUPPORTED_PROTOCOL) {
        // Where the refused redirect pointed, when libcurl got as far as taking it.
        char* target = nullptr;
        curl_easy_getinfo(handle, CURLINFO_EFFECTIVE_URL, &target);
        const bool known = target != nullptr && url != target;
        logFormat("download refused: %s redirects to %s, which is not HTTPS", url.c_str(),
                  known ? target : "an address");
        return std::nullopt;
    }
    if (result != CURLE_OK) {
        logFormat("download failed: %s (%s)", url.c_str(), curl_easy_strerror(result));
        return std::nullopt;
    }
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    if (status < 200 || status >= 300) return std::nullopt;
    return std::move(sink.body);
}

}  // namespace harbrix
