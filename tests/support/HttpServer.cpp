// poll() on the listening socket and a wake pipe; requests are read up to the blank line.
#include "support/HttpServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace harbrix::test {
namespace {

int boundSocket(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        return -1;
    }
    port = ntohs(address.sin_port);
    return fd;
}

void sendAll(int fd, const std::string& data) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += static_cast<std::size_t>(n);
    }
}

}  // namespace

HttpServer::HttpServer() {
    listener_ = boundSocket(port_);
    if (listener_ < 0 || ::listen(listener_, 16) != 0 || ::pipe2(wake_, O_CLOEXEC) != 0) return;
    thread_ = std::thread([this] { serve(); });
}

HttpServer::~HttpServer() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    released_.notify_all();
    if (wake_[1] >= 0) (void)!::write(wake_[1], "x", 1);
    if (thread_.joinable()) thread_.join();
    for (int fd : {listener_, wake_[0], wake_[1]})
        if (fd >= 0) ::close(fd);
}

std::string HttpServer::url() const {
    return "http://127.0.0.1:" + std::to_string(port_);
}

void HttpServer::put(const std::string& path, const std::string& body) {
    std::lock_guard lock(mutex_);
    files_[path] = body;
}

void HttpServer::remove(const std::string& path) {
    std::lock_guard lock(mutex_);
    files_.erase(path);
}

void HttpServer::redirect(const std::string& path, const std::string& target) {
    std::lock_guard lock(mutex_);
    redirects_[path] = target;
}

void HttpServer::hold() {
    std::lock_guard lock(mutex_);
    holding_ = true;
}

void HttpServer::release() {
    {
        std::lock_guard lock(mutex_);
        holding_ = false;
    }
    released_.notify_all();
}

int HttpServer::requests(const std::string& path) const {
    std::lock_guard lock(mutex_);
    const auto found = requests_.find(path);
    return found == requests_.end() ? 0 : found->second;
}

int HttpServer::unusedPort() {
    int port = 0;
    const int fd = boundSocket(port);
    if (fd >= 0) ::close(fd);
    return port;
}

void HttpServer::serve() {
    for (;;) {
        pollfd fds[2] = {{listener_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) continue;
        if (fds[1].revents != 0) return;
        if ((fds[0].revents & POLLIN) == 0) continue;
        const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) continue;
        answer(connection);
        ::close(connection);
    }
}

void HttpServer::answer(int connection) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
        pollfd fd = {connection, POLLIN, 0};
        if (::poll(&fd, 1, 5000) <= 0) return;
        const ssize_t n = ::recv(connection, buffer, sizeof buffer, 0);
        if (n <= 0) return;
        request.append(buffer, static_cast<std::size_t>(n));
    }
    // "GET /path HTTP/1.1"
    const auto firstSpace = request.find(' ');
    const auto secondSpace = request.find(' ', firstSpace + 1);
    if (firstSpace == std::string::npos || secondSpace == std::string::npos) return;
    const std::string method = request.substr(0, firstSpace);
    const std::string path = request.substr(firstSpace + 1, secondSpace - firstSpace - 1);
    std::string body;
    std::string location;
    bool found = false;
    {
        std::unique_lock lock(mutex_);
        ++requests_[path];
        released_.wait(lock, [this] { return !holding_ || stopping_; });
        if (stopping_) return;
        if (const auto file = files_.find(path); file != files_.end()) {
            body = file->second;
            found = true;
        }
        if (const auto moved = redirects_.find(path); moved != redirects_.end())
            location = moved->second;
    }
    if (dropping_) return;
    if (!location.empty()) {
        sendAll(connection, "HTTP/1.0 302 Found\r\nLocation: " + location +
                                "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        return;
    }
    if (method != "GET" || !found) {
        sendAll(connection,
                "HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        return;
    }
    sendAll(connection,
            "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
                std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
}

}  // namespace harbrix::test
