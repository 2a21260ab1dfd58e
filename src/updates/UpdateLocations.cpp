// Update server and cache folder names.
#include "updates/UpdateLocations.h"

#include <cstdlib>

#include "platform/Paths.h"
#include "updates/ApplicationInfo.h"

namespace harbrix::UpdateLocations {
namespace {

constexpr const char* kServer = "https://updates.brellwick.com";

std::string environment(const char* key) {
    const char* value = std::getenv(key);
    return value != nullptr ? value : "";
}

// Percent-escapes everything but RFC 3986's unreserved characters.
std::string escaped(const std::string& name) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (const unsigned char c : name) {
        const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                                (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' ||
                                c == '~';
        if (unreserved) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back('%');
            out.push_back(kDigits[c >> 4]);
            out.push_back(kDigits[c & 0xF]);
        }
    }
    return out;
}

}  // namespace

std::string server() {
    std::string host = environment("HARBRIX_UPDATE_SERVER");
    if (host.empty()) host = kServer;
    while (!host.empty() && host.back() == '/') host.pop_back();
    return host;
}

std::string channel() {
    return ApplicationInfo::staging() ? "Harbrix/staging" : "Harbrix";
}

std::string softwareManifestURL() {
    return server() + "/assets/" + channel() + "/software/mac/_.manifest";
}

std::string firmwareManifestURL(const std::string& model) {
    return server() + "/assets/" + channel() + "/firmware/" + model + "/_.manifest";
}

std::string applicationSupportDirectory() {
    return harbrix::applicationSupportDirectory();
}

std::string softwareFolder() {
    return applicationSupportDirectory() + "/" + ApplicationInfo::bundleIdentifier() +
           "/updates/software";
}

std::string firmwareFolder(const std::string& model) {
    return applicationSupportDirectory() + "/" + ApplicationInfo::bundleIdentifier() +
           "/updates/firmware/" + model;
}

std::string payloadURL(const std::string& manifestURL, const std::string& name) {
    // Only the path's last component is replaced; a query or fragment is dropped with it.
    std::string base = manifestURL.substr(0, manifestURL.find_first_of("?#"));
    const auto scheme = base.find("://");
    const auto slash = base.rfind('/');
    if (slash == std::string::npos || (scheme != std::string::npos && slash < scheme + 3))
        return base + "/" + escaped(name);
    return base.substr(0, slash + 1) + escaped(name);
}

}  // namespace harbrix::UpdateLocations
