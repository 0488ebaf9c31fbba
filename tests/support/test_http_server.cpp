#include "test_http_server.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace {

const unsigned WAIT_STEP_MS = 50;

// Whether the socket has data (or an end) within the step.
bool readable(SOCKET s) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval step = {0, static_cast<long>(WAIT_STEP_MS * 1000)};
    return select(0, &set, nullptr, nullptr, &step) > 0;
}

bool sendAll(SOCKET s, const char* data, size_t length) {
    while (length > 0) {
        const int sent = send(s, data, static_cast<int>(length), 0);
        if (sent <= 0) return false;
        data += sent;
        length -= static_cast<size_t>(sent);
    }
    return true;
}

std::string header(int status, const char* reason, size_t length, const std::string& extra = "") {
    return "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\nContent-Length: " + std::to_string(length) +
           "\r\nConnection: close\r\n" + extra + "\r\n";
}

}  // namespace

TestHttpServer::TestHttpServer() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(s, 16);
    int length = sizeof address;
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    listener_ = s;
    acceptor_ = std::thread([this] { acceptLoop(); });
}

TestHttpServer::~TestHttpServer() {
    stop_ = true;
    acceptor_.join();
    for (std::thread& t : connections_) t.join();
    closesocket(static_cast<SOCKET>(listener_));
    WSACleanup();
}

std::string TestHttpServer::authority() const { return "127.0.0.1:" + std::to_string(port_); }

std::string TestHttpServer::url(const std::string& path) const { return "http://" + authority() + path; }

void TestHttpServer::serve(const std::string& path, const ServedPath& what) {
    std::lock_guard<std::mutex> guard(lock_);
    paths_[path] = what;
}

int TestHttpServer::requests(const std::string& path) {
    std::lock_guard<std::mutex> guard(lock_);
    return counts_[path];
}

void TestHttpServer::acceptLoop() {
    const SOCKET listener = static_cast<SOCKET>(listener_);
    while (!stopped()) {
        if (!readable(listener)) continue;
        const SOCKET connection = accept(listener, nullptr, nullptr);
        if (connection == INVALID_SOCKET) continue;
        std::lock_guard<std::mutex> guard(lock_);
        connections_.emplace_back([this, connection] { answer(connection); });
    }
}

void TestHttpServer::answer(uintptr_t handle) {
    const SOCKET s = static_cast<SOCKET>(handle);
    std::string request;
    char buffer[4096];
    while (!stopped() && request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
        if (!readable(s)) continue;
        const int got = recv(s, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        request.append(buffer, static_cast<size_t>(got));
    }
    const size_t pathStart = request.find(' ') + 1;
    std::string path = request.substr(pathStart, request.find(' ', pathStart) - pathStart);
    const size_t port = path.find(":80/");
    if (path.compare(0, 7, "http://") == 0 && port != std::string::npos) path.erase(port, 3);
    ServedPath what;
    bool known;
    {
        std::lock_guard<std::mutex> guard(lock_);
        ++counts_[path];
        known = paths_.count(path) != 0;
        if (known) what = paths_[path];
    }
    if (!known) what = ServedPath{ServedPath::Status, "", "", 404};
    switch (what.kind) {
    case ServedPath::Body: {
        const std::string head = header(200, "OK", what.body.size());
        if (!sendAll(s, head.data(), head.size())) break;
        const size_t chunk = what.chunk ? what.chunk : what.body.size();
        for (size_t at = 0; at < what.body.size() && !stopped(); at += chunk) {
            if (at > 0) Sleep(what.pauseMs);
            if (!sendAll(s, what.body.data() + at, std::min(chunk, what.body.size() - at))) break;
        }
        break;
    }
    case ServedPath::Redirect: {
        const std::string head = header(302, "Found", 0, "Location: " + what.location + "\r\n");
        sendAll(s, head.data(), head.size());
        break;
    }
    case ServedPath::Status: {
        const std::string head = header(what.status, "Refused", 0, what.header);
        sendAll(s, head.data(), head.size());
        break;
    }
    case ServedPath::CutHalfway: {
        const std::string head = header(200, "OK", what.body.size());
        sendAll(s, head.data(), head.size());
        sendAll(s, what.body.data(), what.body.size() / 2);
        break;
    }
    case ServedPath::NeverAnswer:
        // Until the client gives up or the server ends.
        while (!stopped()) {
            if (readable(s) && recv(s, buffer, sizeof buffer, 0) <= 0) break;
        }
        break;
    }
    shutdown(s, SD_SEND);
    closesocket(s);
}
