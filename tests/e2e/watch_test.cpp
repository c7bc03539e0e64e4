// `quorva watch` from outside: it runs with short intervals on files the
// test changes under it, and is stopped with signals.

#include "support/Support.h"

#include <regex>

namespace {

using namespace qtest;

const std::string kExample = QUORVA_SOURCE_DIR "/examples/LC20261206_SFU.txt";

struct PlotLine {
    std::string file, plot;
    int samples = -1;
};

// The log lines "date time<TAB>file<TAB>plot<TAB>samples"; a line of
// another form fails the test.
std::vector<PlotLine> plotLines(const RunResult& r)
{
    std::vector<PlotLine> lines;
    static const std::regex form(R"((\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)\t([^\t]*)\t([^\t]*)\t(\d+))");
    std::istringstream in(r.out);
    for (std::string l; std::getline(in, l);) {
        std::smatch m;
        if (std::regex_match(l, m, form))
            lines.push_back({m[2], m[3], std::stoi(m[4])});
        else
            ADD_FAILURE() << "not a log line: " << l;
    }
    return lines;
}

int lines(const std::string& s)
{
    return int(std::count(s.begin(), s.end(), '\n'));
}

auto atLeast(int n)
{
    return [n](const RunResult& r) { return lines(r.out) >= n; };
}

class Watch : public ::testing::Test {
protected:
    Process watch(std::vector<std::string> args)
    {
        args.insert(args.begin(), {QUORVA_BINARY, "watch"});
        return Process(args);
    }
    TempDir dir;
    std::string file = dir / "LC20261206_SFU.txt";
};

// (--always and --count: the station page's and the logarithmic axis's tests.)
TEST_F(Watch, PlotsTheNewestLightCurveFileOfAFolderAtOnceThenOnlyWhenItChanges)
{
    const std::string folder = dir / "station", file = folder + "/LC20261206_SFU.txt";
    fs::create_directories(folder + "/out");
    fs::copy_file(kExample, file);
    fs::last_write_time(file, fs::file_time_type::clock::now() - std::chrono::seconds(100));
    // Newer, but not light-curve files by the mask, or not files at all.
    for (const char* name : {"notes.txt", "LC20261206_SFU.csv", "XLC20261207_SFU.txt", "LC20261207_XYZ.txt"}) {
        fs::copy_file(kExample, folder + "/" + name);
        fs::last_write_time(folder + "/" + name, fs::file_time_type::clock::now() - std::chrono::seconds(10));
    }
    fs::create_directory(folder + "/LC20261208_SFU.txt");
    Process w = watch({"--interval", "0.1", "--output", folder + "/out", folder});
    ASSERT_TRUE(w.waitFor(atLeast(1))) << w.result.err;
    const PlotLine first = plotLines(w.result)[0];
    EXPECT_TRUE(first.file == file && first.samples == lines(readFile(file)) - 2) << first.file;
    // The same re-plot as `quorva plot`: the same bytes.
    ASSERT_EQ(runQuorva({"plot", "--output", dir.path(), file}).status, 0);
    EXPECT_TRUE(readFile(first.plot) == readFile(dir / fs::path(first.plot).filename().string()));
    w.poll(800);
    EXPECT_EQ(lines(w.result.out), 1) << "no change, no plot";
    std::ofstream(file, std::ios::app) << "23.500000,30.00,40.00,50.00\n23.500278,31.00,41.00,51.00\n";
    ASSERT_TRUE(w.waitFor(atLeast(2))) << w.result.err;
    EXPECT_EQ(plotLines(w.result)[1].samples, lines(readFile(file)) - 2);
    // A new modification time alone is a change too.
    fs::last_write_time(file, fs::file_time_type::clock::now() - std::chrono::seconds(30));
    ASSERT_TRUE(w.waitFor(atLeast(3))) << w.result.err;
    // A newer light-curve file (mask letters in any case) is followed.
    const std::string newer = folder + "/lc20261209_adu.TXT";
    writeFile(newer, lightCurveText(500, 10.0, "\n"));
    ASSERT_TRUE(w.waitFor(atLeast(4))) << w.result.err;
    EXPECT_EQ(plotLines(w.result)[3].file, newer);
    w.poll(500);
    w.signal(SIGINT); // while waiting: ends at once, status 0 (SIGTERM: the tests below)
    const RunResult& r = w.finish(Seconds(10));
    EXPECT_TRUE(r.status == 0 && lines(r.out) == 4 && r.err.empty()) << r.status << r.err;
    EXPECT_EQ(listFolder(folder + "/out").size(), 2u);
}

TEST_F(Watch, ReportsEachFailureOnceKeepsWatchingAndKeepsThePublishedPlot)
{
    const std::string out = dir / "out", plot = out + "/Plot_LC20261206_SFU.txt.PNG";
    Process w = watch({"--interval", "0.05", "--output", out, file}); // neither exists yet
    // After a while: still watching, `n` messages, the last one saying `what`.
    const auto expectMessages = [&](int n, const std::string& what) {
        w.poll(400);
        const std::string& err = w.result.err;
        EXPECT_TRUE(w.running() && lines(err) == n && err.substr(err.rfind('\n', err.size() - 2) + 1).starts_with(what))
            << err;
    };
    expectMessages(1, "quorva: cannot open " + file + ": No such file or directory");
    // Junk, then only the header: told once, nothing plotted.
    writeFile(file, "root:x:0:0:root:/root:/bin/bash\nbin:x:2:2:bin:/bin:/usr/sbin/nologin\nsync:x:4:65534\n");
    expectMessages(2, "quorva: no samples in " + file);
    writeFile(file, "Tervasol\r\nTime_UT,45.0MHz,150.5MHz,410.0MHz\r\n");
    expectMessages(2, "quorva: no samples in " + file);
    fs::copy_file(kExample, file, fs::copy_options::overwrite_existing);
    expectMessages(3, "quorva: cannot write " + out + "/");
    // A plot that failed is tried again at the next tick.
    fs::create_directory(out);
    ASSERT_TRUE(w.waitFor(atLeast(1))) << w.result.err;
    // Truncated to nothing: told once, the published plot stays.
    const std::string published = readFile(plot);
    fs::resize_file(file, 0);
    expectMessages(4, "quorva: no samples in " + file);
    EXPECT_TRUE(lines(w.result.out) == 1 && readFile(plot) == published);
    EXPECT_EQ(listFolder(out), std::vector<std::string> {"Plot_LC20261206_SFU.txt.PNG"});
    w.signal(SIGTERM);
    EXPECT_EQ(w.finish(Seconds(10)).status, 0);
}

// SIGTERM or SIGHUP while a day is being plotted to PDF: the plot is
// finished and published, the status is 0, no temporary file stays.
TEST_F(Watch, SigtermOrSighupDuringADayPlotLetItFinish)
{
    writeFile(file, lightCurveText(345600)); // a day, four samples a second
    const std::string out = dir / "out";
    fs::create_directory(out);
    for (const int signal : {SIGTERM, SIGHUP}) {
        Process w = watch({"--format", "pdf", "--output", out, file});
        // The plot is in progress while its hidden temporary file exists.
        ASSERT_TRUE(w.waitFor([&](const RunResult&) {
            return std::ranges::any_of(listFolder(out), [](auto& n) { return n.starts_with(".zedozo-"); });
        })) << w.result.err;
        w.signal(signal);
        const RunResult& r = w.finish();
        EXPECT_TRUE(r.status == 0 && r.err.empty()) << signal << ": " << r.status << r.err;
        const auto plotted = plotLines(r);
        ASSERT_EQ(plotted.size(), 1u);
        EXPECT_EQ(plotted[0].samples, 345600);
        EXPECT_EQ(listFolder(out), std::vector<std::string> {"Plot_LC20261206_SFU.txt.PDF"});
        EXPECT_EQ(checkPlot(plotted[0].plot), "");
    }
}

} // namespace
