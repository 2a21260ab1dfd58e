// System log writer shared by the application, the tools and Tolvane.
#include "platform/Log.h"

#include <syslog.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace harbrix {
namespace {

std::mutex& sinkMutex() {
    static std::mutex m;
    return m;
}

std::function<void(const std::string&)>& sink() {
    static std::function<void(const std::string&)> s;
    return s;
}

bool toStandardError() {
    static const bool enabled = [] {
        const char* v = std::getenv("HARBRIX_LOG");
        return v != nullptr && std::strcmp(v, "stderr") == 0;
    }();
    return enabled;
}

}  // namespace

void logLine(const std::string& line) {
    syslog(LOG_NOTICE, "%s", line.c_str());
    if (toStandardError()) std::fprintf(stderr, "%s\n", line.c_str());
    std::lock_guard lock(sinkMutex());
    if (sink()) sink()(line);
}

std::string formatArguments(const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
    if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, args);
    return text;
}

void logFormat(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string line = formatArguments(format, args);
    va_end(args);
    logLine(line);
}

LogCapture::LogCapture(std::function<void(const std::string&)> s) {
    std::lock_guard lock(sinkMutex());
    sink() = std::move(s);
}

LogCapture::~LogCapture() {
    std::lock_guard lock(sinkMutex());
    sink() = nullptr;
}

}  // namespace harbrix
