// Readable and logarithmic axes from outside: `quorva plot --axes readable`
// and `--log` on real files, read back by pdftotext (the labels and where
// they stand) and by the PDF's own path operators (no line across a gap).

#include "support/Formats.h"
#include "support/Support.h"

#include <cmath>
#include <regex>

namespace {

using namespace qtest;

// PDF points per plot unit, and the x axis of the plot sequence's page in
// plot units: pdftotext's x runs along the time axis.
constexpr double kPoints = 0.263342;
constexpr double kAxisLeft = 350 * kPoints, kAxisRight = 2549 * kPoints, kAxisBottom = 1800 * kPoints;
constexpr double kYLabelsEnd = (350 - 48) * kPoints; // y labels end 48 units left of the axis
const std::string kExample = QUORVA_SOURCE_DIR "/examples/LC20261206_SFU.txt";

struct Word {
    double x0, y0, x1, y1;
    std::string text;
    double centre() const { return (x0 + x1) / 2; }
};

struct Labels {
    std::vector<Word> x, y; // x left to right, y top to bottom
};

// The axis labels of a PDF as pdftotext -bbox places them: x labels just
// below the axis, y labels ending left of it.
Labels pdfLabels(const std::string& pdf)
{
    const RunResult r = run({"pdftotext", "-bbox", pdf, "-"});
    EXPECT_EQ(r.status, 0) << r.err;
    Labels l;
    static const std::regex word(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    for (std::sregex_iterator m(r.out.begin(), r.out.end(), word), end; m != end; ++m) {
        const Word w {std::stod((*m)[1]), std::stod((*m)[2]), std::stod((*m)[3]), std::stod((*m)[4]), (*m)[5]};
        if (w.y0 > kAxisBottom && w.y0 < kAxisBottom + 18 && w.x0 > 30) l.x.push_back(w); // not the page header
        if (std::fabs(w.x1 - kYLabelsEnd) < 2 && w.y0 < kAxisBottom + 10) l.y.push_back(w);
    }
    std::sort(l.x.begin(), l.x.end(), [](const Word& a, const Word& b) { return a.x0 < b.x0; });
    std::sort(l.y.begin(), l.y.end(), [](const Word& a, const Word& b) { return a.y0 < b.y0; });
    return l;
}

// The labels of `file` plotted to PDF with readable axes over `window`.
Labels readableLabels(const TempDir& dir, const std::string& file, const std::vector<std::string>& window = {})
{
    std::vector<std::string> args {"plot", "--format", "pdf", "--axes", "readable", "--output", dir.path(), file};
    args.insert(args.end(), window.begin(), window.end());
    const RunResult r = runQuorva(args);
    EXPECT_EQ(r.status, 0) << file << r.err;
    return pdfLabels(r.out.substr(0, r.out.find('\n')));
}

// Seconds of an "HH:MM" or "HH:MM:SS" label; -1 for anything else.
int labelSeconds(const std::string& t, bool withSeconds)
{
    static const std::regex hm(R"((\d\d):([0-5]\d))"), hms(R"((\d\d):([0-5]\d):([0-5]\d))");
    std::smatch m;
    if (!std::regex_match(t, m, withSeconds ? hms : hm)) return -1;
    return std::stoi(m[1]) * 3600 + std::stoi(m[2]) * 60 + (withSeconds ? std::stoi(m[3]) : 0);
}

std::string clock(int s)
{
    char t[16];
    std::snprintf(t, sizeof t, "%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
    return t;
}

// The y labels are evenly stepped by 1, 2 or 5 x 10^k, with the decimals the
// step needs, and reach from at or below `lowest` to at or above `highest`
// by less than a step.
void expectRoundValueLabels(const std::vector<Word>& y, double lowest, double highest, const std::string& what)
{
    ASSERT_TRUE(y.size() >= 4 && y.size() <= 10) << what << ": " << y.size() << " labels";
    const double step = std::stod(y[0].text) - std::stod(y[1].text);
    const double k = std::floor(std::log10(step) + 1e-9), mantissa = step / std::pow(10, k);
    EXPECT_TRUE(std::fabs(mantissa - 1) < 1e-6 || std::fabs(mantissa - 2) < 1e-6 || std::fabs(mantissa - 5) < 1e-6)
        << what << ": step " << step;
    const std::size_t decimals = k < 0 ? std::size_t(-k) : 0;
    for (std::size_t i = 0; i < y.size(); ++i) {
        const std::size_t point = y[i].text.find('.');
        EXPECT_EQ(point == std::string::npos ? 0 : y[i].text.size() - point - 1, decimals) << what << " " << y[i].text;
        EXPECT_NEAR(std::stod(y[0].text) - i * step, std::stod(y[i].text), step * 1e-6) << what;
    }
    EXPECT_TRUE(std::stod(y.back().text) <= lowest && std::stod(y.back().text) > lowest - step) << what;
    EXPECT_TRUE(std::stod(y.front().text) >= highest && std::stod(y.front().text) < highest + step) << what;
}

// (The classic page of `quorva plot`: the window test's golden pages.)
TEST(Readable, EverySpanFrom30SecondsTo24HoursGetsRoundTimeLabels)
{
    TempDir dir;
    // The example's times of day from 10:33 on.
    for (const auto& [to, labels] : {std::pair {"10:43", "10:32 10:34 10:36 10:38 10:40 10:42 10:44 "},
             {"10:34:30", "10:33:00 10:33:15 10:33:30 10:33:45 10:34:00 10:34:15 10:34:30 "}}) {
        std::string texts;
        for (const Word& w : readableLabels(dir, kExample, {"--from", "10:33", "--to", to}).x) texts += w.text + " ";
        EXPECT_EQ(texts, labels);
    }

    const std::string file = dir / "LC_day_SFU.txt";
    // The generated day (a burst at 1.6 h), one sample in 16: every 4 s.
    std::istringstream day(lightCurveText(345600, 0.0, "\n"));
    std::string text, line;
    for (int i = 0; std::getline(day, line); ++i) text += i < 2 || i % 16 == 2 ? line + "\n" : "";
    writeFile(file, text);
    const std::vector<int> steps {1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600, 7200, 10800, 14400, 21600};
    const int spans[] {
        30, 47, 90, 150, 260, 420, 600, 1030, 1500, 2400, 3600, 6600, 12000, 18000, 28800, 46800, 61200, 85000, 86399};
    for (const int span : spans) {
        // 1:36:37 and so on, nothing round; the long spans from just after midnight.
        const int from = span < 40000 ? 5797 + span % 7 : std::min(1 + span % 13, 86400 - span);
        const std::string what = clock(from) + " + " + std::to_string(span) + " s";
        const std::vector<std::string> window {"--from", clock(from), "--to", clock(from + span)};
        const Labels l = readableLabels(dir, file, window);

        ASSERT_TRUE(l.x.size() >= 4 && l.x.size() <= 10) << what << ": " << l.x.size() << " labels";
        const bool withSeconds = labelSeconds(l.x[1].text, true) >= 0;
        const int step = labelSeconds(l.x[1].text, withSeconds) - labelSeconds(l.x[0].text, withSeconds);
        EXPECT_NE(std::find(steps.begin(), steps.end(), step), steps.end()) << what << ": step " << step;
        EXPECT_EQ(withSeconds, step < 60) << what;
        for (std::size_t i = 0; i < l.x.size(); ++i) {
            EXPECT_EQ(labelSeconds(l.x[i].text, withSeconds), labelSeconds(l.x[0].text, withSeconds) + int(i) * step)
                << what << ": " << l.x[i].text;
            EXPECT_TRUE(l.x[i].centre() > kAxisLeft - 1 && l.x[i].centre() < kAxisRight + 1) << what << l.x[i].text;
        }
        // The axis is the window widened to the nearest step at each end,
        // with labels at both ends.
        const int first = labelSeconds(l.x.front().text, withSeconds),
                  last = labelSeconds(l.x.back().text, withSeconds);
        EXPECT_TRUE(first <= from && first > from - step && last >= from + span && last < from + span + step) << what;
        EXPECT_NEAR(l.x.front().centre(), kAxisLeft, 1.0) << what;
        EXPECT_NEAR(l.x.back().centre(), kAxisRight, 1.0) << what;

        // y over the window's own extremes (the reader's, over all channels).
        const RunResult s = runQuorva({"stats", "--json", "--from", clock(from), "--to", clock(from + span), file});
        expectRoundValueLabels(l.y, jsonNumber(s.out, "min1"), jsonNumber(s.out, "max1"), what);
    }

    // A burst above 1000 everywhere sits inside the y axis: the samples' own
    // extremes count, not the statistics' start values of -1000 and 1000.
    const std::string loud = dir / "LC_loud_SFU.txt";
    writeFile(loud, lightCurveText(600, 10.0, "\n", 100.0));
    float lowest = INFINITY, highest = -INFINITY;
    std::istringstream lines(readFile(loud));
    for (std::string line; std::getline(lines, line);) {
        float v[4];
        if (std::sscanf(line.c_str(), "%f,%f,%f,%f", &v[0], &v[1], &v[2], &v[3]) != 4) continue;
        lowest = std::min({lowest, v[1], v[2], v[3]}), highest = std::max({highest, v[1], v[2], v[3]});
    }
    ASSERT_GT(lowest, 1000);
    expectRoundValueLabels(readableLabels(dir, loud).y, lowest, highest, "above 1000");
}

// Red path segments of a PDF's content, as (from, to) along the time axis
// (the landscape page turns plot x into the PDF's y).
std::vector<std::pair<double, double>> redSegments(const std::string& pdf)
{
    std::vector<std::pair<double, double>> segments;
    std::istringstream in(pdfContent(readFile(pdf)));
    std::vector<std::string> operands;
    bool red = false;
    double at = 0;
    for (std::string token; in >> token;) {
        if (token == "RG")
            red = operands.size() >= 3 && operands[operands.size() - 3] == "1" && operands[operands.size() - 2] == "0"
                && operands.back() == "0";
        if ((token == "m" || token == "l") && operands.size() >= 2) {
            const double y = std::stod(operands.back());
            if (token == "l" && red) segments.emplace_back(std::min(at, y), std::max(at, y));
            at = y;
        }
        if (std::isalpha(static_cast<unsigned char>(token[0])) || token[0] == '\'')
            operands.clear();
        else
            operands.push_back(token);
    }
    return segments;
}

TEST(Readable, LogarithmicAxisLeavesOutValuesAtOrBelowZeroAndBreaksTheCurve)
{
    TempDir dir;
    // Ten minutes from 10:00:00, one sample a second; channel 1 is 0 from
    // 10:02:00 to 10:02:59 and negative from 10:06:00 to 10:06:29, channel
    // 2 is 0 at 10:08:00 to 10:08:02.
    std::string text = "Tervasol light curve [SFU]\nTime_UT,45.0MHz,150.5MHz,410.0MHz\n";
    int atOrBelowZero = 0;
    for (int s = 0; s < 600; ++s) {
        char line[96];
        const double red = s >= 120 && s < 180 ? 0.0 : s >= 360 && s < 390 ? -3.5 : 20 + s % 7 + (s > 300) * 900;
        const double green = s >= 480 && s < 483 ? 0.0 : 35.0 + s % 5;
        std::snprintf(line, sizeof line, "%.6f,%.2f,%.2f,%.2f\n", 10 + s / 3600.0, red, green, 58.0);
        text += line;
        atOrBelowZero += (red <= 0) + (green <= 0);
    }
    const std::string file = dir / "LC_gaps_SFU.txt";
    writeFile(file, text);
    const std::string warning = "quorva: " + std::to_string(atOrBelowZero)
        + " samples at or below 0 left out of the logarithmic axis in " + file + "\n";
    const RunResult r = runQuorva({"plot", "--format", "pdf", "--log", "--output", dir.path(), file});
    EXPECT_TRUE(r.status == 0 && r.err == warning) << r.status << r.err;
    const std::string pdf = dir / "Plot_LC_gaps_SFU.txt.PDF";
    const Labels l = pdfLabels(pdf);
    std::string y;
    for (const Word& w : l.y) y += w.text + " ";
    EXPECT_EQ(y, "1000 100 10 ") << "decades from at or below 20 to at or above 926";

    // Where a time stands along the axis, from the first and last x label.
    ASSERT_EQ(l.x.front().text, "10:00");
    ASSERT_EQ(l.x.back().text, "10:10");
    const auto place
        = [&](int s) { return l.x.front().centre() + (l.x.back().centre() - l.x.front().centre()) * s / 600; };
    // Red segments across the samples left out. (Where the curve stops and
    // starts again around a gap: the golden page Log_day.)
    const auto across = [&](int firstLeftOut, int lastLeftOut) {
        int n = 0;
        for (const auto& [from, to] : redSegments(pdf)) n += from < place(lastLeftOut) && to > place(firstLeftOut);
        return n;
    };
    EXPECT_EQ(across(120, 179), 0) << "zeros";
    EXPECT_EQ(across(360, 389), 0) << "negative values";
    // The reader sees a line across when there is one: the linear page has it.
    const RunResult linear = runQuorva({"plot", "--format", "pdf", "--axes", "readable", "--output", dir.path(), file});
    EXPECT_TRUE(linear.err.empty() && across(120, 179) > 0) << linear.err;
    // (No sample above 0: conventions_test.)
}

} // namespace
