// Opening the library: creating or migrating the database, and moving a damaged one aside so
// that the program goes on with a new one rather than without any.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "library/Library.h"
#include "library/LibrarySchema.h"
#include "library/Sqlite.h"
#include "platform/Log.h"
#include "platform/Paths.h"

namespace harbrix {
namespace {

using library::Connection;

struct Attempt {
    std::unique_ptr<Connection> connection;
    bool damaged = false;
    std::string problem;
};

Attempt attempt(const std::string& path, int busyTimeoutMs) {
    Attempt result;
    auto connection = std::make_unique<Connection>(path);
    const auto failed = [&](const std::string& doing) {
        result.damaged = connection->damaged();
        result.problem = connection->busy() ? Library::heldProblem(path, busyTimeoutMs)
                                            : "the library " + path + " could not be " + doing +
                                                  ": " + connection->problem();
        return std::move(result);
    };
    if (!connection->open()) return failed("opened");
    connection->setBusyTimeout(busyTimeoutMs);
    if (!connection->run("PRAGMA foreign_keys = ON")) return failed("opened");
    const auto mode = connection->text("PRAGMA journal_mode = WAL");
    if (!mode) return failed("opened");
    const auto check = connection->text("PRAGMA quick_check(1)");
    if (!check) return failed("checked");
    if (*check != "ok") {
        result.damaged = true;
        result.problem = "the library " + path + " is damaged: " + *check;
        return result;
    }
    switch (library::migrate(*connection, library::libraryMigrations())) {
        case library::MigrationOutcome::tooNew:
            result.problem =
                "the library " + path + " was made by a newer Harbrix; it is left as it is";
            return result;
        case library::MigrationOutcome::failed:
            return failed("brought up to date");
        default:
            break;
    }
    result.connection = std::move(connection);
    return result;
}

// "PATH.damaged-2026-12-08" (then "-2", "-3", ... when taken); the database's write-ahead
// log and index go with it. The new name, or none when the file could not be moved.
std::optional<std::string> moveAside(const std::string& path) {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    char date[16] = "unknown";
    if (localtime_r(&now, &parts)) std::strftime(date, sizeof date, "%Y-%m-%d", &parts);
    const std::string stem = path + ".damaged-" + date;
    for (int attempt = 1; attempt < 1000; ++attempt) {
        const std::string target = attempt == 1 ? stem : stem + "-" + std::to_string(attempt);
        const int error = renameToFreeName(path, target);
        if (error == EEXIST) continue;
        if (error != 0) return std::nullopt;
        for (const char* suffix : {"-wal", "-shm"}) {
            std::error_code ignored;
            if (std::filesystem::exists(path + suffix, ignored))
                std::filesystem::rename(path + suffix, target + suffix, ignored);
        }
        return target;
    }
    return std::nullopt;
}

}  // namespace

std::string Library::defaultPath() {
    return applicationSupportDirectory() + "/com.qor.wharvel/library.sqlite3";
}

std::string Library::heldProblem(const std::string& path, int busyTimeoutMs) {
    char waited[32];
    std::snprintf(waited, sizeof waited, "%.1f s", busyTimeoutMs / 1000.0);
    return "the library " + path + " is held by another program; gave up after " + waited;
}

Library::Opening Library::open(const std::string& path, int busyTimeoutMs) {
    Opening opening;
    const auto slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0 && !createDirectories(path.substr(0, slash))) {
        opening.problem = "the library's folder " + path.substr(0, slash) +
                          " could not be made: " + std::strerror(errno);
        return opening;
    }
    auto first = attempt(path, busyTimeoutMs);
    if (first.damaged) {
        const auto aside = moveAside(path);
        if (!aside) {
            opening.problem = first.problem + "; it could not be moved aside";
            return opening;
        }
        opening.notice = "The preset library was damaged. It was moved aside to " + *aside +
                         " and a new library was started.";
        logFormat("Library :: damaged, moved aside to %s", aside->c_str());
        first = attempt(path, busyTimeoutMs);
    }
    if (!first.connection) {
        opening.problem = first.problem;
        return opening;
    }
    opening.library =
        std::shared_ptr<Library>(new Library(path, std::move(first.connection), busyTimeoutMs));
    return opening;
}

}  // namespace harbrix
