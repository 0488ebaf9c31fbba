// A small HTTP/1.1 server on 127.0.0.1, on a port of its own, run on
// threads of the test program: it serves what each path is set to, and can
// redirect, refuse, serve slowly, cut a connection halfway or never answer.
// As a proxy it gets absolute addresses, "http://host/path" (a port 80
// left out), served and counted as such paths. Every connection ends when
// the server object goes.
#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct ServedPath {
    enum Kind { Body, Redirect, Status, CutHalfway, NeverAnswer };
    Kind kind = Body;
    std::string body = std::string();      // Body and CutHalfway: the whole file
    std::string location = std::string();  // Redirect: the Location header
    int status = 200;        // Status: the code, with an empty body
    // Body: bytes sent per pause; 0 sends all at once.
    size_t chunk = 0;
    unsigned pauseMs = 0;
    std::string header = std::string();  // Status: one more header line (with its CR LF)
};

class TestHttpServer {
public:
    TestHttpServer();
    ~TestHttpServer();
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    // http://127.0.0.1:PORT + path
    std::string url(const std::string& path) const;
    void serve(const std::string& path, const ServedPath& what);
    // Requests seen for the path so far.
    int requests(const std::string& path);
    // "127.0.0.1:PORT", for a proxy setting.
    std::string authority() const;

private:
    void acceptLoop();
    void answer(uintptr_t connection);
    bool stopped() const { return stop_.load(); }

    uintptr_t listener_;
    unsigned port_ = 0;
    std::atomic<bool> stop_{false};
    std::mutex lock_;
    std::map<std::string, ServedPath> paths_;
    std::map<std::string, int> counts_;
    std::vector<std::thread> connections_;
    std::thread acceptor_;
};
