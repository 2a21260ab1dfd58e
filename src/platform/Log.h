// One formatted line per event to the system log (syslog), and to standard error
// when HARBRIX_LOG=stderr. Tests capture the lines with LogCapture.
#pragma once

#include <cstdarg>
#include <functional>
#include <string>

namespace harbrix {

void logLine(const std::string& line);
// printf-style formatting into a string, shared by the log and the text helpers.
std::string formatArguments(const char* format, va_list args);
void logFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

// While an instance lives, every line is also handed to it (one capture at a time).
class LogCapture {
public:
    explicit LogCapture(std::function<void(const std::string&)> sink);
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;
};

}  // namespace harbrix
