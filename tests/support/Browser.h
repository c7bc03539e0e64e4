#pragma once
// A web page as a visitor sees it: a small static web server on the
// loopback that logs every request, and headless Chromium that loads a
// page from it (the DOM once its scripts ran, or a screenshot). Chromium
// is told to send every request, to any host, through the server, so the
// log shows anything a page would fetch from elsewhere.

#include "support/Formats.h"
#include "support/Support.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <atomic>
#include <mutex>

namespace qtest {

struct Request {
    std::string method, host, target; // target as sent; host from the URL or the Host line
    int status = 0;
};

class WebServer {
public:
    explicit WebServer(std::string root) : root_(std::move(root))
    {
        listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a {};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t n = sizeof a;
        if (::bind(listen_, reinterpret_cast<sockaddr*>(&a), n) != 0 || ::listen(listen_, 64) != 0
            || ::getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &n) != 0)
            return;
        host_ = "127.0.0.1:" + std::to_string(ntohs(a.sin_port));
        accepter_ = std::thread([this] { acceptLoop(); });
    }
    ~WebServer()
    {
        stop_ = true;
        if (accepter_.joinable()) accepter_.join();
        for (std::thread& t : handlers_) t.join();
        ::close(listen_);
    }
    const std::string& host() const { return host_; }
    std::string url(const std::string& path) const { return "http://" + host_ + "/" + path; }
    std::vector<Request> log()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return log_;
    }

private:
    void acceptLoop()
    {
        while (!stop_) {
            pollfd p {listen_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) continue;
            const int fd = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) handlers_.emplace_back([this, fd] { serve(fd); });
        }
    }

    static std::string httpDate(std::time_t t)
    {
        char text[64];
        std::tm tm {};
        gmtime_r(&t, &tm);
        return std::string(text, std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S GMT", &tm));
    }

    void serve(int fd)
    {
        std::string head;
        char buf[4096];
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (head.find("\r\n\r\n") == std::string::npos && std::chrono::steady_clock::now() < end) {
            pollfd p {fd, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) continue;
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n <= 0) break;
            head.append(buf, std::size_t(n));
        }
        Request r;
        std::istringstream in(head);
        in >> r.method >> r.target;
        if (r.method.empty()) return (void)::close(fd);
        std::string path = r.target;
        if (path.rfind("http://", 0) == 0) { // a request sent to us as the proxy
            const std::size_t slash = path.find('/', 7);
            r.host = path.substr(7, slash - 7);
            path = slash == std::string::npos ? "/" : path.substr(slash);
        } else if (const std::size_t at = head.find("\r\nHost: "); at != std::string::npos) {
            r.host = head.substr(at + 8, head.find("\r\n", at + 8) - at - 8);
        }
        std::string body, type = "text/plain";
        struct stat st { };
        r.status = 502;
        if (r.method == "GET" && r.host == host_) {
            path = path.substr(0, path.find('?'));
            std::string file;
            for (std::size_t i = 0; i < path.size(); ++i) { // percent-decoding
                if (path[i] != '%' || i + 2 >= path.size()) {
                    file += path[i];
                    continue;
                }
                file += char(std::stoi(path.substr(i + 1, 2), nullptr, 16));
                i += 2;
            }
            if (file == "/") file = "/index.html";
            r.status = file.find("..") == std::string::npos && ::stat((root_ + file).c_str(), &st) == 0 ? 200 : 404;
            if (r.status == 200) body = readFile(root_ + file);
            if (endsWith(file, ".html")) type = "text/html; charset=utf-8";
            if (endsWith(file, ".json")) type = "application/json";
            if (endsWith(file, ".PNG")) type = "image/png";
        }
        std::string reply = "HTTP/1.1 " + std::to_string(r.status) + " X\r\nContent-Type: " + type
            + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\nDate: " + httpDate(std::time(nullptr))
            + (r.status == 200 ? "\r\nLast-Modified: " + httpDate(st.st_mtime) : "") + "\r\nConnection: close\r\n\r\n"
            + body;
        for (std::size_t done = 0; done < reply.size();) {
            const ssize_t n = ::send(fd, reply.data() + done, reply.size() - done, MSG_NOSIGNAL);
            if (n <= 0) break;
            done += std::size_t(n);
        }
        ::close(fd);
        std::lock_guard<std::mutex> lock(mutex_);
        log_.push_back(r);
    }

    std::string root_, host_;
    int listen_ = -1;
    std::atomic<bool> stop_ {false};
    std::thread accepter_;
    std::vector<std::thread> handlers_;
    std::mutex mutex_;
    std::vector<Request> log_;
};

// Seconds spent in Chromium by this test program, for the report.
inline double& chromiumSeconds()
{
    static double seconds = 0;
    return seconds;
}

// Headless Chromium on `url`, every request through `server` as its proxy;
// `mode` is "--dump-dom" (the DOM on stdout) or "--screenshot=FILE".
// `virtualMs` of virtual time let the page's timers and scripts run.
inline RunResult chromium(const WebServer& server, const std::string& url, const std::string& mode, int virtualMs,
    const std::string& windowSize = "1600,1000")
{
    TempDir profile;
    const auto start = std::chrono::steady_clock::now();
    const RunResult r = run({"chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
        "--no-first-run", "--disable-background-networking", "--disable-component-update", "--disable-sync",
        "--user-data-dir=" + profile.path(), "--proxy-server=http://" + server.host(),
        "--proxy-bypass-list=<-loopback>", "--window-size=" + windowSize, "--force-device-scale-factor=1",
        "--hide-scrollbars", "--virtual-time-budget=" + std::to_string(virtualMs), mode, url});
    chromiumSeconds() += Seconds(std::chrono::steady_clock::now() - start).count();
    return r;
}

// The RGB pixels of an 8-bit RGB or RGBA PNG (as Chromium writes its
// screenshots), every row filter undone; empty when it is of another kind.
inline RgbImage decodeRgbPng(const std::string& file)
{
    RgbImage img;
    std::string idat;
    int type = -1, depth = 0;
    for (const PngChunk& c : pngChunks(file)) {
        if (c.type == "IHDR")
            img.w = int(be32(c.data, 0)), img.h = int(be32(c.data, 4)), depth = c.data[8], type = c.data[9];
        idat += c.type == "IDAT" ? c.data : "";
    }
    bool ok = false;
    const std::string rows = inflateAll(idat, ok);
    const std::size_t bpp = type == 6 ? 4 : 3, stride = std::size_t(img.w) * bpp;
    if (!ok || depth != 8 || (type != 2 && type != 6) || rows.size() != (stride + 1) * std::size_t(img.h)) return {};
    std::vector<unsigned char> cur(stride), prev(stride, 0);
    for (std::size_t y = 0; y < std::size_t(img.h); ++y) {
        const unsigned char filter = static_cast<unsigned char>(rows[y * (stride + 1)]);
        for (std::size_t x = 0; x < stride; ++x) {
            const int a = x >= bpp ? cur[x - bpp] : 0, b = prev[x], c = x >= bpp ? prev[x - bpp] : 0;
            const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
            const int predictor = filter == 1 ? a
                : filter == 2                 ? b
                : filter == 3                 ? (a + b) / 2
                : filter == 4                 ? (pa <= pb && pa <= pc ? a
                                          : pb <= pc                  ? b
                                                                      : c)
                                              : 0;
            cur[x] = static_cast<unsigned char>(static_cast<unsigned char>(rows[y * (stride + 1) + 1 + x]) + predictor);
        }
        for (std::size_t x = 0; x < stride; x += bpp) img.px.append(reinterpret_cast<const char*>(&cur[x]), 3);
        std::swap(cur, prev);
    }
    return img;
}

} // namespace qtest
