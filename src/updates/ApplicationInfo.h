// Application-wide facts needed before any window exists: the name, version and identifier
// recorded in the bundle's Info.plist, the staging channel marker, the software update
// checker's slot and the relaunch request.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "link/Version.h"

namespace harbrix {

class Stinger;

class ApplicationInfo {
  public:
    ApplicationInfo() = delete;

    // "CFBundleName"; none when the bundle does not say.
    static std::optional<std::string> name();
    // "CFBundleShortVersionString" read as a version ("2.1" gives 2.1.0); none when it does not
    // parse.
    static std::optional<Version> version();
    // "CFBundleShortVersionString" as the bundle states it ("1.0.0", never shortened), for
    // showing; none when the bundle does not say.
    static std::optional<std::string> versionText();
    // "CFBundleIdentifier", or the identifier this program is built with when the bundle lacks one.
    static std::string bundleIdentifier();
    // Whether "~/Desktop/Harbrix.staging" existed at the first call; fixed for the process.
    static bool staging();

    // The software update checker; empty until the start-up task fills it.
    static std::shared_ptr<Stinger> stinger();
    static void setStinger(std::shared_ptr<Stinger> stinger);

    // Asks the application controller to relaunch the application (nothing without one).
    static void bounce();
    static void setBounceHandler(std::function<void()> handler);

    // The running operating system's version: the product version on macOS, the kernel
    // release on Linux (e.g. 6.1.0 of "6.1.0-18-amd64").
    static std::optional<Version> systemVersion();

    // The top-level string values of a property-list file (XML or binary); empty when unreadable.
    static std::map<std::string, std::string> readInfo(const std::string& path);
};

}  // namespace harbrix
