// inotify on the pty slave: IN_OPEN and IN_CLOSE_* for every open file of the node.
#include "HostPresence.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cstddef>

namespace harbrix::pedalsim {

std::unique_ptr<HostPresence> HostPresence::watch(const std::string& slavePath) {
    const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) return nullptr;
    if (::inotify_add_watch(fd, slavePath.c_str(), IN_OPEN | IN_CLOSE) < 0) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<HostPresence>(new HostPresence(fd));
}

HostPresence::~HostPresence() {
    ::close(fd_);
}

bool HostPresence::update() {
    bool boundary = false;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n <= 0) break;
        for (std::size_t at = 0; at + sizeof(inotify_event) <= static_cast<std::size_t>(n);) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            // Lost events leave the count unknown: assume a host, so nothing is withheld.
            if (event->mask & IN_Q_OVERFLOW) opens_ = 1;
            if (event->mask & IN_OPEN) boundary |= opens_++ == 0;
            if ((event->mask & IN_CLOSE) && opens_ > 0) boundary |= --opens_ == 0;
            at += sizeof(inotify_event) + event->len;
        }
    }
    return boundary;
}

}  // namespace harbrix::pedalsim
