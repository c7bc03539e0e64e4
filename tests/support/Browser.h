#pragma once
// A web page as a visitor sees it: a static web server on the loopback
// that logs every request, and headless Chromium that loads a
// page from it (the DOM once its scripts ran, or a screenshot). Chromium
// is told to send every request, to any host, through the server, so the
// log shows anything a page would fetch from elsewhere.

#include "support/Formats.h"
#include "support/Support.h"

#include <regex>

namespace qtest {

struct Request {
    std::string method, host, target; // target as sent; host from the URL when sent as to a proxy
    int status = 0;
};

// Python's http.server on the loopback, serving `root` also to requests
// sent to it as a proxy; its log lines are the requests.
class WebServer {
public:
    explicit WebServer(const std::string& root)
        : server_({"python3", "-u", "-c", R"(import http.server as s, urllib.parse as u
class H(s.SimpleHTTPRequestHandler):
    def translate_path(self, p): return super().translate_path(u.urlsplit(p).path)
s.test(H, s.ThreadingHTTPServer, port=0, bind='127.0.0.1'))"},
            {.workDir = root})
    {
        std::smatch m;
        server_.waitFor(
            [&](const RunResult& r) { return std::regex_search(r.out, m, std::regex(R"(port (\d+))")); }, 10000);
        host_ = "127.0.0.1:" + (m.empty() ? std::string("0") : m[1].str());
    }
    const std::string& host() const { return host_; }
    std::string url(const std::string& path) const { return "http://" + host_ + "/" + path; }
    std::vector<Request> log()
    {
        server_.poll(100);
        static const std::regex line(R"re("(\S+) (\S+) HTTP/[\d.]+" (\d+))re");
        std::vector<Request> requests;
        for (std::sregex_iterator m(server_.result.err.begin(), server_.result.err.end(), line), end; m != end; ++m) {
            Request r {(*m)[1], host_, (*m)[2], std::stoi((*m)[3])};
            if (r.method == "CONNECT") // a tunnel asked of us as the proxy
                r.host = r.target;
            else if (r.target.rfind("http://", 0) == 0) // sent to us as the proxy
                r.host = r.target.substr(7, r.target.find('/', 7) - 7);
            requests.push_back(r);
        }
        return requests;
    }

private:
    Process server_;
    std::string host_;
};

// Headless Chromium on `url`, every request through `server` as its proxy;
// `mode` is "--dump-dom" (the DOM on stdout) or "--screenshot=FILE".
// `virtualMs` of virtual time let the page's timers and scripts run.
inline RunResult chromium(const WebServer& server, const std::string& url, const std::string& mode, int virtualMs,
    const std::string& windowSize = "1600,1000")
{
    TempDir profile;
    return run({"chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
        "--disable-background-networking", "--disable-component-update", "--disable-sync",
        "--user-data-dir=" + profile.path(), "--proxy-server=http://" + server.host(),
        "--proxy-bypass-list=<-loopback>", "--window-size=" + windowSize, "--force-device-scale-factor=1",
        "--hide-scrollbars", "--virtual-time-budget=" + std::to_string(virtualMs), mode, url});
}

} // namespace qtest
