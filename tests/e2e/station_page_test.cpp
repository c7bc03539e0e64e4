// The station page of `quorva watch --page` as a visitor's browser shows
// it (headless Chromium through a logging web server), checked against
// `quorva stats`, tidy and a reader of the Prometheus text format.

#include "support/Browser.h"

#include <map>
#include <regex>
#include <set>

namespace {

using namespace qtest;

// Key -> value of every line of `text` that `line` matches: the top-level
// members of `quorva stats --json`, or the "Label: value" lines of `quorva
// stats`.
const std::regex kMember(R"re(^    "([^"]+)": (.*?),?$)re"), kStatsLine("^([^:]+): +(.*)$");
std::map<std::string, std::string> fields(const std::string& text, const std::regex& line = kMember)
{
    std::map<std::string, std::string> m;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        if (std::smatch s; std::regex_match(l, s, line)) m[s[1]] = s[2];
    return m;
}

// The start tag of the element with `id` in a serialised DOM, and its text
// (entities decoded, blanks around it dropped).
std::string startTag(const std::string& dom, const std::string& id)
{
    const std::size_t at = dom.find(" id=\"" + id + "\"");
    if (at == std::string::npos) return {};
    const std::size_t open = dom.rfind('<', at);
    return dom.substr(open, dom.find('>', at) - open + 1);
}
std::string text(const std::string& dom, const std::string& id)
{
    std::smatch m;
    if (!std::regex_search(dom, m, std::regex(" id=\"" + id + "\"[^>]*> *([^<]*?) *<")))
        return "(no element " + id + ")";
    std::string t = m[1];
    for (const auto& [entity, c] :
        {std::pair {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&nbsp;", " "}, {"&amp;", "&"}})
        for (std::size_t i; (i = t.find(entity)) != std::string::npos;) t.replace(i, std::strlen(entity), c);
    return t;
}
std::size_t count(const std::string& s, const std::string& what)
{
    std::size_t n = 0;
    for (std::size_t i = 0; (i = s.find(what, i)) != std::string::npos; i += what.size()) ++n;
    return n;
}

// A reader of the Prometheus text format: a TYPE line at most once per name
// and before its samples, the samples of a name together, names, labels
// with their escapes and values as the format has them. Fails the test on
// a line that breaks a rule.
struct Sample {
    std::string name;
    std::map<std::string, std::string> labels;
    double value = 0;
};
std::vector<Sample> readMetrics(const std::string& text)
{
    static const std::string name = "[a-zA-Z_:][a-zA-Z0-9_:]*", label = R"re([a-zA-Z_]\w*="(?:[^"\\\n]|\\[\\"n])*")re";
    static const std::regex meta("# (HELP|TYPE) (" + name + ") (.*)"),
        sample("(" + name + ")(?:\\{((?:" + label + ",)*(?:" + label + ")?)\\})? "
            + R"re(([-+]?(?:\d+\.?\d*(?:[eE][-+]?\d+)?|\.\d+(?:[eE][-+]?\d+)?|Inf)|NaN)(?: -?\d+)?)re"),
        labelParts("([a-zA-Z_]\\w*)=\"((?:[^\"\\\\]|\\\\.)*)\"");
    std::vector<Sample> samples;
    std::set<std::string> typed, done;
    EXPECT_TRUE(!text.empty() && text.back() == '\n');
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::smatch m;
        if (std::regex_match(line, m, meta)) {
            EXPECT_TRUE(m[1] == "HELP"
                || (typed.insert(m[2]).second && !done.count(m[2])
                    && std::regex_match(m[3].str(), std::regex("gauge|counter|untyped"))))
                << line;
        } else if (!line.empty() && line[0] != '#') {
            EXPECT_TRUE(std::regex_match(line, m, sample) && typed.count(m[1])) << line;
            Sample s {m[1], {}, std::strtod(m[3].str().c_str(), nullptr)};
            const std::string labels = m[2];
            for (std::sregex_iterator l(labels.begin(), labels.end(), labelParts), end; l != end; ++l) {
                std::string v = (*l)[2];
                for (std::size_t i = 0; (i = v.find('\\', i)) != std::string::npos; ++i)
                    v.replace(i, 2, v[i + 1] == 'n' ? "\n" : std::string(1, v[i + 1]));
                EXPECT_TRUE(s.labels.emplace((*l)[1], v).second) << line;
            }
            if (samples.empty() || samples.back().name != s.name) {
                EXPECT_TRUE(done.insert(s.name).second) << "samples of " << s.name << " apart";
            }
            samples.push_back(s);
        }
    }
    return samples;
}

double metric(const std::vector<Sample>& samples, const std::string& name, const std::string& channel = "")
{
    for (const Sample& s : samples)
        if (s.name == name && (channel.empty() || s.labels.at("channel") == channel)) return s.value;
    ADD_FAILURE() << "no " << name << channel;
    return -1;
}

// tidy's complaints and status; "" for a page without errors.
std::string tidy(const std::string& page)
{
    const RunResult r = run({"tidy", "-q", "-errors", page});
    return r.out + r.err + (r.status == 0 ? "" : std::to_string(r.status));
}

// What a visitor's browser fetched: the paths, every one from the server
// of the page and found. Chromium sends requests for any other host to the
// server too, as to its proxy, so they would be here; only its own
// services, which no page asks for, are left out.
std::set<std::string> fetched(WebServer& server)
{
    static const std::set<std::string> chromiumServices {"accounts.google.com", "clients2.google.com",
        "update.googleapis.com", "optimizationguide-pa.googleapis.com", "content-autofill.googleapis.com",
        "safebrowsingohttpgateway.googleapis.com", "clientservices.googleapis.com", "redirector.gvt1.com"};
    std::set<std::string> paths;
    for (const Request& r : server.log()) {
        if (chromiumServices.count(r.host.substr(0, r.host.find(':')))) continue;
        EXPECT_TRUE(r.method == "GET" && r.host == server.host() && r.status == 200)
            << r.method << " " << r.target << " from " << r.host << ": " << r.status;
        const std::string prefix = "http://" + server.host();
        paths.insert(r.target.rfind(prefix, 0) == 0 ? r.target.substr(prefix.size()) : r.target);
    }
    return paths;
}

class StationPage : public ::testing::Test {
protected:
    TempDir dir;
    std::string out = dir / "www";
    void SetUp() override { fs::create_directory(out); }
};

TEST_F(StationPage, FollowsAGrowingFileAndShowsTheLastPlotAsTheStatisticsDo)
{
    const std::string file = dir / "LC20261206_SFU.txt";
    writeFile(file, lightCurveText(400, 10.0, "\n"));
    Process w({QUORVA_BINARY, "watch", "--page", "--metrics", out + "/quorva.prom", "--count", "3", "--interval", "2",
        "--output", out, file});
    ASSERT_TRUE(w.waitFor([](const RunResult& r) { return count(r.out, "\n") >= 1; })) << w.result.err;
    std::ofstream(file, std::ios::app) << dataLines(200, 10.03);
    ASSERT_TRUE(w.waitFor([](const RunResult& r) { return count(r.out, "\n") >= 2; })) << w.result.err;
    // Halfway between two hundredths: "%6.2f" makes 20.12, 35.38, 58.62 of them.
    std::ofstream(file, std::ios::app) << "10.050000,20.125,35.375,58.625\n";
    ASSERT_TRUE(w.finish().status == 0 && count(w.result.out, "\n") == 3u) << w.result.out << w.result.err;
    EXPECT_EQ(listFolder(out),
        (std::vector<std::string> {"Plot_LC20261206_SFU.txt.PNG", "index.html", "quorva.prom", "stats.json"}));

    // The browser, as if the page had just been written: the test's own
    // steps may come close to the three intervals (6 s) after which the
    // page would call the file stale.
    fs::last_write_time(out + "/stats.json", fs::file_time_type::clock::now());
    WebServer server(out);
    const std::string dom = chromium(server, server.url("index.html"), "--dump-dom", 1500).out;
    const std::string shot = dir / "shot.png";
    chromium(server, server.url("index.html"), "--screenshot=" + shot, 1500, "1700,1100");
    const std::map<std::string, std::string> window = fields(runQuorva({"stats", file}).out, kStatsLine);
    ASSERT_EQ(window.at("Data Points"), "603");
    std::vector<std::pair<std::string, std::string>> ids {
        {"file", "File"}, {"timeMin", "Time min"}, {"timeMax", "Time max"}, {"count", "Data Points"}};
    for (const char* n : {"1", "2", "3"})
        for (const auto& [id, label] : {std::pair {"freq", "Freq"}, {"last", "Last"}, {"min", "Min"}, {"max", "Max"}})
            ids.emplace_back(id + std::string(n), label + std::string(n));
    for (const auto& [id, label] : ids) EXPECT_EQ(text(dom, id), window.at(label)) << id;
    EXPECT_EQ(text(dom, "updated"), "Updated 22:13:20 UT"); // SOURCE_DATE_EPOCH 1700000000
    EXPECT_NE(startTag(dom, "stale").find(" hidden"), std::string::npos) << startTag(dom, "stale");
    EXPECT_EQ(fetched(server),
        (std::set<std::string> {"/index.html", "/stats.json", "/Plot_LC20261206_SFU.txt.PNG?v=1700000000-3"}));
    EXPECT_EQ(tidy(out + "/index.html"), "");
    // The image on the screen is the plot: every pixel of its red, green
    // and blue curves is there (the page's own colour marks are other
    // colours).
    const PngImage plot = decodePng(readFile(out + "/Plot_LC20261206_SFU.txt.PNG"));
    const PngImage screen = decodePng(readFile(shot));
    ASSERT_TRUE(plot.filtersOk && plot.colourType == 3 && screen.w == 1700 && screen.bpp() > 1) << screen.w;
    std::map<std::uint32_t, std::size_t> inPlot, onScreen;
    for (const auto& [image, n] : {std::pair {&plot, &inPlot}, {&screen, &onScreen}})
        for (int y = 0; y < image->h; ++y)
            for (int x = 0; x < image->w; ++x) ++(*n)[image->rgb(x, y)];
    std::set<int> channels; // 16, 8, 0: the shift of the one strong component
    for (const auto& [colour, n] : inPlot)
        for (const int shift : {16, 8, 0})
            if ((colour >> shift & 0xFF) >= 0xF0 && (colour & ~(0xFFu << shift)) <= 0x1010u && n > 200) {
                channels.insert(shift);
                EXPECT_EQ(onScreen[colour], n) << std::hex << colour;
            }
    EXPECT_EQ(channels.size(), 3u);

    // stats.json holds the object of `quorva stats --json`.
    std::map<std::string, std::string> json = fields(readFile(out + "/stats.json"));
    const std::map<std::string, std::string> cli = fields(runQuorva({"stats", "--json", file}).out);
    ASSERT_GE(cli.size(), 19u);
    for (const auto& [key, value] : cli) EXPECT_EQ(json[key], value) << key;

    const std::vector<Sample> metrics = readMetrics(readFile(out + "/quorva.prom"));
    EXPECT_EQ(metric(metrics, "quorva_samples"), 603);
    EXPECT_EQ(metric(metrics, "quorva_last_value", "3"), 58.625);
    std::tm day {.tm_sec = 0, .tm_min = 3, .tm_hour = 10, .tm_mday = 6, .tm_mon = 11, .tm_year = 126};
    EXPECT_EQ(metric(metrics, "quorva_last_sample_timestamp_seconds"), double(timegm(&day)));

    // A visitor who left the page open: stats.json fresh when the page
    // loads, then no new one for more than three intervals by the
    // browser's own clock, and the script says so.
    fs::last_write_time(out + "/stats.json", fs::file_time_type::clock::now());
    const std::string later = chromium(server, server.url("index.html"), "--dump-dom", 9000).out;
    EXPECT_EQ(startTag(later, "stale").find(" hidden"), std::string::npos) << startTag(later, "stale");
    EXPECT_EQ(text(later, "stale"), "No new samples since 10:03:00 UT");
}

TEST_F(StationPage, AFileThatStopsGrowingIsCalledStaleAndAHostileNameIsOnlyText)
{
    // A folder: the page shows the newest light-curve file in it.
    const std::string station = dir / "station", name = "LC_<script>&'\"_SFU.txt", file = station + "/" + name;
    fs::create_directory(station);
    writeFile(station + "/LC20261206_SFU.txt", lightCurveText(100, 9.0, "\n"));
    fs::last_write_time(station + "/LC20261206_SFU.txt", fs::file_time_type::clock::now() - std::chrono::hours(1));
    writeFile(file, lightCurveText(100, 12.0, "\n"));
    // Plots at every tick; the file grows once, then no more.
    Process always({QUORVA_BINARY, "watch", "--page", "--always", "--last", "14.5", "--count", "10", "--interval",
        "0.25", "--metrics", out + "/m.prom", "--output", out, station});
    ASSERT_TRUE(always.waitFor([](const RunResult& r) { return count(r.out, "\n") >= 1; }));
    std::ofstream(file, std::ios::app) << dataLines(50, 12.01) << "12.250000,30.00,40.00,50.00\n";
    ASSERT_TRUE(always.finish().status == 0 && count(always.result.out, "\n") == 10u) << always.result.err;
    const std::string html = readFile(out + "/index.html");
    EXPECT_NE(html.find("<p id=\"stale\" role=\"status\">No new samples since 12:15:00 UT</p>"), std::string::npos);
    EXPECT_EQ(count(html, "<script"), 1u);
    EXPECT_EQ(count(html, "LC_&lt;script&gt;&amp;&#39;&quot;_SFU.txt"), 3u) << "title, heading, text alternative";
    EXPECT_EQ(tidy(out + "/index.html"), "");
    EXPECT_EQ(readMetrics(readFile(out + "/m.prom")).back().labels.at("file"), name);
    // The last 14.5 minutes as the window that `quorva stats` takes: from
    // 12:00:30 on, the line at 12:15 and the 50 appended before it.
    std::map<std::string, std::string> json = fields(readFile(out + "/stats.json"));
    const std::string window
        = runQuorva({"stats", "--json", "--from", json["windowFrom"], "--to", json["windowTo"], file}).out;
    for (const auto& [key, value] : fields(window)) EXPECT_EQ(json[key], value) << key;
    EXPECT_TRUE(json["stale"] == "true" && json["sampleCount"] == "51") << readFile(out + "/stats.json");

    WebServer server(out);
    const std::string dom = chromium(server, server.url("index.html"), "--dump-dom", 1000).out;
    EXPECT_EQ(text(dom, "file"), name);
    EXPECT_EQ(startTag(dom, "stale").find(" hidden"), std::string::npos) << startTag(dom, "stale");
    EXPECT_EQ(text(dom, "stale"), "No new samples since 12:15:00 UT");
    EXPECT_EQ(fetched(server),
        (std::set<std::string> {
            "/index.html", "/stats.json", "/Plot_LC_%3Cscript%3E%26%27%22_SFU.txt_last14.5.PNG?v=1700000000-10"}));

    // Without --always the watch does not plot an unchanged file, but it
    // rewrites the page when it turns stale. Metrics that cannot be written
    // are told once, and watching goes on.
    std::ofstream(file, std::ios::app) << "12.500000,31.00,41.00,51.00\n";
    Process w({QUORVA_BINARY, "watch", "--page", "--interval", "1", "--metrics", dir / "missing/m.prom", "--output",
        out, station});
    ASSERT_TRUE(w.waitFor([](const RunResult& r) { return count(r.out, "\n") >= 1; }));
    EXPECT_NE(readFile(out + "/index.html").find("<p id=\"stale\" role=\"status\" hidden>"), std::string::npos);
    const std::string stale = "role=\"status\">No new samples since 12:30:00 UT";
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (readFile(out + "/index.html").find(stale) == std::string::npos && std::chrono::steady_clock::now() < end)
        w.poll(50);
    w.signal(SIGTERM);
    EXPECT_TRUE(w.finish().status == 0 && count(w.result.out, "\n") == 1u) << w.result.out << w.result.err;
    EXPECT_NE(readFile(out + "/index.html").find(stale), std::string::npos) << readFile(out + "/stats.json");
    EXPECT_EQ(w.result.err, "quorva: cannot write " + dir / "missing/m.prom: No such file or directory\n");
}

} // namespace
