// A tiny HTTP/1.0 file server on 127.0.0.1 for update tests: one thread answers GET requests
// from an in-memory map of paths to bodies, one connection at a time, and can be told to
// drop every connection without an answer or to hold requests unanswered for a while.
#pragma once

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace harbrix::test {

class HttpServer {
  public:
    HttpServer();  // listens on a free port
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    int port() const { return port_; }
    // "http://127.0.0.1:PORT"
    std::string url() const;

    // Serves `body` at `path` ("/assets/x/_.manifest").
    void put(const std::string& path, const std::string& body);
    void remove(const std::string& path);
    // Answers `path` with "302 Found" and the Location `target`.
    void redirect(const std::string& path, const std::string& target);
    // While set, connections are closed as soon as they are accepted.
    void setDropping(bool dropping) { dropping_ = dropping; }
    // While held, a request is read and counted but not answered: a client stays waiting
    // for as long as a test needs it to. Released, it is answered as usual.
    void hold();
    void release();
    // GET requests seen for `path` (answered or not).
    int requests(const std::string& path) const;

    // A port on 127.0.0.1 where nothing listens.
    static int unusedPort();

  private:
    void serve();
    void answer(int connection);

    int listener_ = -1;
    int port_ = 0;
    int wake_[2] = {-1, -1};
    std::atomic<bool> dropping_{false};
    mutable std::mutex mutex_;
    std::condition_variable released_;
    bool holding_ = false;
    bool stopping_ = false;
    std::map<std::string, std::string> files_;
    std::map<std::string, std::string> redirects_;
    std::map<std::string, int> requests_;
    std::thread thread_;
};

}  // namespace harbrix::test
