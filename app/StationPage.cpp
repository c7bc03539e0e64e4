#include "app/StationPage.h"

#include "app/TextFormat.h"
#include "engine/Engine.h"
#include "lightcurve/FileNames.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace quorva {
namespace {

// Text for HTML content and attribute values: markup characters as
// entities; bytes that are not UTF-8 and control characters (which HTML
// does not allow) as U+FFFD.
std::string html(std::string_view s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        std::uint32_t codePoint;
        const std::size_t n = utf8Sequence(s, i, codePoint);
        if (n == 0 || (codePoint < 0x20 && codePoint != '\t') || codePoint == 0x7f) {
            out += "\xEF\xBF\xBD";
            i += n == 0 ? 1 : n;
            continue;
        }
        switch (codePoint) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out.append(s.substr(i, n));
        }
        i += n;
    }
    return out;
}

// A file name as a relative URL: every byte but the unreserved ones
// percent-encoded, so the name is one path segment whatever it holds.
std::string urlSegment(std::string_view name)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : name) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.'
            || c == '_' || c == '~') {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

// A Prometheus label value or help text: UTF-8, with backslash, line feed
// (and in labels the double quote) escaped.
std::string promText(std::string_view s, bool label)
{
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        std::uint32_t codePoint;
        const std::size_t n = utf8Sequence(s, i, codePoint);
        if (n == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
            continue;
        }
        if (s[i] == '\\')
            out += "\\\\";
        else if (s[i] == '\n')
            out += "\\n";
        else if (s[i] == '"' && label)
            out += "\\\"";
        else
            out.append(s.substr(i, n));
        i += n;
    }
    return out;
}

template <typename T> std::string promNumber(T v)
{
    return shortestDecimal(v, "NaN", "+Inf", "-Inf");
}

std::string utcClock(long long unixSeconds)
{
    const std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm tm {};
    if (!gmtime_r(&t, &tm)) return "--:--:--";
    return formatText("%02d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
long long daysFromCivil(int y, int m, int d)
{
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return static_cast<long long>(era) * 146097 + doe - 719468;
}

const char* const kColours[3] = {"red", "green", "blue"};

// The page's script: every interval it fetches stats.json, shows its
// values in the page's own formats and swaps in a new plot once that has
// loaded. The file's age is what the watch measured when it wrote
// stats.json plus the time since: by the web server's clock (Date against
// Last-Modified) or, when that says less, by this page's own clock since
// it first saw that stats.json, so that no clock of the visitor's is
// compared with the station's.
const char kScript[] = R"JS(
(function () {
  'use strict';
  var body = document.body, shown = body.getAttribute('data-version');
  var every = Number(body.getAttribute('data-interval')) * 1000;
  var last = null, key = null, seen = 0, served = 0;
  function put(id, text) { document.getElementById(id).textContent = text; }
  function two(n) { return String(n).padStart(2, '0'); }
  // As printf's "%6.2f" prints the 32-bit float: all digits, ties to even.
  function fixed(x) {
    if (typeof x !== 'number') return String(x).padStart(6);
    var v = Math.fround(x), a = Math.abs(v), t = a * 200, s;
    if (a >= 1e21) s = BigInt(a) + '.00';
    else if (Number.isInteger(t) && t % 2 === 1) s = (((t - 1) / 2 + ((t - 1) / 2) % 2) / 100).toFixed(2);
    else s = a.toFixed(2);
    return ((v < 0 || Object.is(v, -0)) ? '-' + s : s).padStart(6);
  }
  // "HH:MM:SS" of the nearest second of hours UT.
  function clock(hours) {
    var s = Math.max(-1e6, Math.min(1e6, Math.fround(hours))) * 3600;
    var a = Math.round(Math.abs(s));
    return (s < 0 && a > 0 ? '-' : '') + two(Math.floor(a / 3600)) + ':' + two(Math.floor(a / 60) % 60) + ':' + two(a % 60);
  }
  function show(d) {
    var name = d.inputPath.slice(d.inputPath.lastIndexOf('/') + 1);
    var age = d.sinceGrowth + Math.max((performance.now() - seen) / 1000, served);
    var stale = d.stale || age > 3 * d.interval;
    document.title = name;
    put('file', name);
    for (var c = 1; c <= 3; c++) {
      put('freq' + c, fixed(d['freq' + c]) + ' MHz');
      put('last' + c, fixed(d['last' + c]) + ' ' + d.unit);
      put('min' + c, fixed(d['min' + c]) + ' ' + d.unit);
      put('max' + c, fixed(d['max' + c]) + ' ' + d.unit);
    }
    put('timeMin', fixed(d.timeMin) + ' UT');
    put('timeMax', fixed(d.timeMax) + ' UT');
    put('count', String(d.sampleCount));
    put('updated', 'Updated ' + new Date(d.updated * 1000).toISOString().slice(11, 19) + ' UT');
    put('stale', 'No new samples since ' + clock(d.lastTime) + ' UT');
    document.getElementById('stale').hidden = !stale;
    var version = d.updated + '-' + d.plotCount;
    if (version !== shown) {
      var next = new Image();
      next.onload = function () {
        var img = document.getElementById('plot');
        img.src = next.src;
        img.alt = 'Light curve of ' + name + ': ' + fixed(d.freq1).trim() + ' MHz red, ' + fixed(d.freq2).trim() +
          ' MHz green, ' + fixed(d.freq3).trim() + ' MHz blue';
        shown = version;
      };
      next.src = d.plot + '?v=' + version;
    }
  }
  function look() {
    fetch('stats.json', {cache: 'no-store'}).then(function (r) {
      if (!r.ok) throw new Error('stats.json: ' + r.status);
      // Both in whole seconds: the age may be up to one second less.
      var age = (Date.parse(r.headers.get('Date')) - Date.parse(r.headers.get('Last-Modified'))) / 1000 - 1;
      return r.json().then(function (d) {
        var k = d.updated + '-' + d.plotCount + '-' + d.stale;
        if (k !== key) { key = k; seen = performance.now(); }
        served = age > 0 ? age : 0;
        last = d;
        show(d);
      });
    }).catch(function () { if (last) show(last); });
  }
  look();
  setInterval(look, every);
})();
)JS";

const char kStyle[] = R"CSS(
:root { color-scheme: light dark; --fg: #1b1b1b; --bg: #fdfdfd; --muted: #5d5d5d; --line: #d4d4d4; }
@media (prefers-color-scheme: dark) {
  :root { --fg: #e8e8e8; --bg: #151515; --muted: #a8a8a8; --line: #3b3b3b; }
}
body { margin: 0 auto; max-width: 1600px; padding: 1rem; color: var(--fg); background: var(--bg);
  font-family: system-ui, -apple-system, "Segoe UI", sans-serif; line-height: 1.4; }
h1 { font-size: 1.3rem; margin: 0 0 .5rem; overflow-wrap: anywhere; }
main { display: grid; grid-template-columns: minmax(0, 1fr) auto; gap: 1rem; align-items: start; }
figure { margin: 0; }
img { display: block; max-width: 100%; height: auto; border: 1px solid var(--line); }
table { border-collapse: collapse; width: 100%; margin-bottom: 1rem; font-variant-numeric: tabular-nums; }
th, td { padding: .2rem .4rem; border-bottom: 1px solid var(--line); text-align: right; white-space: nowrap; }
th:first-child { text-align: left; }
caption, .note { color: var(--muted); text-align: left; }
.ch::before { content: ""; display: inline-block; width: .7em; height: .7em; margin-right: .3em; }
.red::before { background: #e00000; } .green::before { background: #00a000; } .blue::before { background: #0040ff; }
#stale { padding: .5rem .8rem; border-radius: .3rem; background: #b00020; color: #fff; font-weight: bold; }
/* Phones: one column. */
@media (max-width: 700px) {
  main { grid-template-columns: minmax(0, 1fr); }
  table { font-size: .85rem; } th, td { padding: .2rem; white-space: normal; }
}
)CSS";

} // namespace

long long plotTime()
{
    return zedozo::sourceDateEpoch().value_or(static_cast<long long>(std::time(nullptr)));
}

std::optional<double> timestampFromFileName(std::string_view path, float hours)
{
    const std::string_view name = fileNamePart(path);
    if (name.size() < 10 || (name[0] != 'L' && name[0] != 'l') || (name[1] != 'C' && name[1] != 'c'))
        return std::nullopt;
    int digits[8];
    for (int i = 0; i < 8; ++i) {
        const char c = name[static_cast<std::size_t>(2 + i)];
        if (c < '0' || c > '9') return std::nullopt;
        digits[i] = c - '0';
    }
    const int y = digits[0] * 1000 + digits[1] * 100 + digits[2] * 10 + digits[3];
    const int m = digits[4] * 10 + digits[5], d = digits[6] * 10 + digits[7];
    static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    if (m < 1 || m > 12 || d < 1 || d > kDays[m - 1] || (m == 2 && d == 29 && !leap)) return std::nullopt;
    const double h = static_cast<double>(hours);
    if (!(h >= 0.0 && h <= 24.0)) return std::nullopt;
    // To the second, as the page shows it.
    return static_cast<double>(daysFromCivil(y, m, d)) * 86400.0 + std::round(h * 3600.0);
}

std::string staleText(float hours)
{
    return "No new samples since " + clockText(static_cast<double>(hours)) + " UT";
}

PageData pageData(
    const LightCurve& lc, const TimeWindow& window, std::string_view plotPath, std::string_view unit, double interval)
{
    PageData d;
    // A --last window as the --from/--to that gives the same samples, so
    // that `quorva stats --json --from --to` prints the same object.
    TimeWindow bounds = window;
    if (window.lastMinutes) {
        bounds = {};
        bounds.to = static_cast<double>(lc.timeMax);
        bounds.from = *bounds.to - *window.lastMinutes / 60.0;
    }
    d.stats = statsMembers(lc, false, bounds);
    d.texts = statisticsTexts(lc, lc.inputPath, unit);
    d.unit = unit;
    d.plotFile = fileNamePart(plotPath);
    if (window.asked()) d.windowText = windowText(window);
    d.frequency[0] = lc.freq1, d.frequency[1] = lc.freq2, d.frequency[2] = lc.freq3;
    d.last[0] = lc.last1, d.last[1] = lc.last2, d.last[2] = lc.last3;
    d.timeMin = lc.timeMin, d.timeMax = lc.timeMax;
    d.sampleCount = lc.sampleCount;
    d.lastTime = lc.sampleCount > 0 ? lc.times[static_cast<std::size_t>(lc.sampleCount - 1)] : 0.0f;
    d.lastTimestamp = timestampFromFileName(lc.inputPath, d.lastTime);
    d.updated = plotTime();
    d.interval = interval;
    return d;
}

std::string stationPageJson(const PageData& d)
{
    std::vector<JsonMember> members = d.stats;
    members.push_back({"interval", jsonNumber(d.interval)});
    members.push_back({"lastTime", jsonNumber(d.lastTime)});
    members.push_back({"lastTimestamp", d.lastTimestamp ? jsonNumber(*d.lastTimestamp) : "null"});
    members.push_back({"plot", jsonString(urlSegment(d.plotFile))});
    members.push_back({"plotCount", std::to_string(d.plotCount)});
    members.push_back({"sinceGrowth", jsonNumber(std::round(d.sinceGrowth * 1000.0) / 1000.0)});
    members.push_back({"stale", d.stale ? "true" : "false"});
    members.push_back({"unit", jsonString(d.unit)});
    members.push_back({"updated", std::to_string(d.updated)});
    return jsonObject(std::move(members));
}

std::string stationPageHtml(const PageData& d)
{
    const StatisticsTexts& t = d.texts;
    const std::string name = html(t.fileName);
    const std::string version = std::to_string(d.updated) + "-" + std::to_string(d.plotCount);
    const auto trim = [](const std::string& s) { return s.substr(std::min(s.find_first_not_of(' '), s.size())); };
    std::string alt = "Light curve of " + t.fileName + ": ";
    for (int c = 0; c < 3; ++c) alt += trim(t.channel[c].frequency) + " " + kColours[c] + (c < 2 ? ", " : "");
    // The refresh for browsers without the script: whole seconds.
    const long long refresh = std::max(1LL, static_cast<long long>(std::ceil(d.interval - 1e-9)));

    std::string p;
    p += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
    p += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
    p += "<title>" + name + "</title>\n";
    p += "<noscript><meta http-equiv=\"refresh\" content=\"" + std::to_string(refresh) + "\"></noscript>\n";
    p += "<link rel=\"icon\" href=\"data:,\">\n";
    p += "<style>" + std::string(kStyle) + "</style>\n</head>\n";
    p += "<body data-interval=\"" + jsonNumber(d.interval) + "\" data-version=\"" + version + "\">\n";
    p += "<h1 id=\"file\">" + name + "</h1>\n";
    p += "<p id=\"stale\" role=\"status\"" + std::string(d.stale ? "" : " hidden") + ">" + html(staleText(d.lastTime))
        + "</p>\n";
    p += "<main>\n<figure><img id=\"plot\" src=\"" + html(urlSegment(d.plotFile)) + "?v=" + version + "\" alt=\""
        + html(alt) + "\"></figure>\n";
    p += "<div>\n<table>\n<caption>Last, minimum and maximum per channel</caption>\n";
    p += "<tr><th scope=\"col\">Channel</th>";
    for (int c = 0; c < 3; ++c)
        p += "<th scope=\"col\" class=\"ch " + std::string(kColours[c]) + "\" id=\"freq" + std::to_string(c + 1) + "\">"
            + html(t.channel[c].frequency) + "</th>";
    p += "</tr>\n";
    for (const auto& [id, member] : {std::pair {"last", &ChannelTexts::last}, std::pair {"min", &ChannelTexts::minimum},
             std::pair {"max", &ChannelTexts::maximum}}) {
        p += "<tr><th scope=\"row\">" + std::string(id) + "</th>";
        for (int c = 0; c < 3; ++c)
            p += "<td id=\"" + std::string(id) + std::to_string(c + 1) + "\">" + html(t.channel[c].*member) + "</td>";
        p += "</tr>\n";
    }
    p += "</table>\n<table>\n";
    p += "<tr><th scope=\"row\">" + html(t.timeCaption) + " min</th><td id=\"timeMin\">" + html(t.timeMin)
        + "</td></tr>\n";
    p += "<tr><th scope=\"row\">" + html(t.timeCaption) + " max</th><td id=\"timeMax\">" + html(t.timeMax)
        + "</td></tr>\n";
    p += "<tr><th scope=\"row\">" + html(t.countsCaption) + "</th><td id=\"count\">" + html(t.count) + "</td></tr>\n";
    if (!d.windowText.empty()) p += "<tr><th scope=\"row\">Window</th><td>" + html(d.windowText) + "</td></tr>\n";
    p += "</table>\n";
    p += "<p id=\"updated\">Updated " + utcClock(d.updated) + " UT</p>\n";
    p += "<p class=\"note\">Refreshes itself every " + html(jsonNumber(d.interval))
        + " s. <a href=\"stats.json\">stats.json</a></p>\n</div>\n</main>\n";
    p += "<script>" + std::string(kScript) + "</script>\n</body>\n</html>\n";
    return p;
}

std::string prometheusMetrics(const PageData& d)
{
    std::string m;
    const auto family = [&m](const char* name, const char* help) {
        m += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " gauge\n";
    };
    family("quorva_last_value", "Last value of each channel of the light curve plotted, in its unit.");
    for (int c = 0; c < 3; ++c)
        m += "quorva_last_value{channel=\"" + std::to_string(c + 1) + "\",colour=\"" + kColours[c]
            + "\",frequency_mhz=\"" + promNumber(d.frequency[c]) + "\",unit=\"" + promText(d.unit, true) + "\"} "
            + promNumber(d.last[c]) + "\n";
    family("quorva_samples", "Sample count of the light curve plotted (the statistics' data points).");
    m += "quorva_samples " + std::to_string(d.sampleCount) + "\n";
    family("quorva_last_sample_hours", "Time of the last sample in hours UT, as the file gives it.");
    m += "quorva_last_sample_hours " + promNumber(d.lastTime) + "\n";
    if (d.lastTimestamp) {
        family("quorva_last_sample_timestamp_seconds",
            "Time of the last sample as Unix seconds (to the second), on the date in the file name (LCYYYYMMDD).");
        m += "quorva_last_sample_timestamp_seconds " + promNumber(*d.lastTimestamp) + "\n";
    }
    family("quorva_file_info", "The light-curve file plotted.");
    m += "quorva_file_info{file=\"" + promText(d.texts.fileName, true) + "\"} 1\n";
    return m;
}

std::string writeAtomically(const std::string& path, std::string_view content)
{
    const std::string folder(folderPart(path));
    static unsigned counter = 0;
    int fd = -1;
    std::string temp;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = folder + ".quorva-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp";
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) return "cannot write " + path + ": " + std::strerror(errno);
    int error = 0;
    for (std::size_t done = 0; done < content.size() && error == 0;) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
            error = n < 0 ? errno : EIO;
        else
            done += static_cast<std::size_t>(n);
    }
    if (error == 0 && ::fsync(fd) != 0 && errno != EINVAL && errno != EROFS) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temp.c_str(), path.c_str()) != 0) error = errno;
    if (error == 0) return {};
    ::unlink(temp.c_str());
    return "cannot write " + path + ": " + std::strerror(error);
}

// ---- the publisher ---------------------------------------------------------

StationPublisher::StationPublisher(bool page, std::string metricsPath, double interval)
    : page_(page), metricsPath_(std::move(metricsPath)), interval_(interval)
{ }

void StationPublisher::looked(const std::string& path, long long size, const std::timespec& modified)
{
    // Another file, or one that grew or shrank, is new data; its
    // modification time says when that came (also for the first look,
    // after a restart of the watch).
    if (path != lastPath_ || size != lastSize_) grewAt_ = modified;
    lastPath_ = path;
    lastSize_ = size;
}

double StationPublisher::sinceGrowth() const
{
    std::timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const double s
        = static_cast<double>(now.tv_sec - grewAt_.tv_sec) + static_cast<double>(now.tv_nsec - grewAt_.tv_nsec) / 1e9;
    return s > 0 ? s : 0;
}

std::string StationPublisher::writePage()
{
    std::string failures;
    for (const auto& [name, text] :
        {std::pair {"stats.json", stationPageJson(*data_)}, std::pair {"index.html", stationPageHtml(*data_)}}) {
        const std::string message = writeAtomically(pageFolder_ + name, text);
        if (!message.empty()) failures += (failures.empty() ? "" : "\n") + message;
    }
    return failures;
}

std::string StationPublisher::published(
    const LightCurve& lightCurve, const TimeWindow& window, const std::string& plotPath, std::string_view unit)
{
    data_ = pageData(lightCurve, window, plotPath, unit, interval_);
    data_->plotCount = ++plots_;
    data_->sinceGrowth = sinceGrowth();
    data_->stale = data_->sinceGrowth > kStaleIntervals * interval_;
    pageFolder_ = folderPart(plotPath);
    std::string failures;
    // The plot is in place; stats.json, which names it, comes next, the
    // page last.
    if (page_) failures = writePage();
    if (!metricsPath_.empty()) {
        const std::string message = writeAtomically(metricsPath_, prometheusMetrics(*data_));
        if (!message.empty()) failures += (failures.empty() ? "" : "\n") + message;
    }
    return failures;
}

std::string StationPublisher::idle()
{
    if (!page_ || !data_) return {};
    const double since = sinceGrowth();
    const bool stale = since > kStaleIntervals * interval_;
    if (stale == data_->stale) return {};
    data_->stale = stale;
    data_->sinceGrowth = since;
    return writePage();
}

} // namespace quorva
