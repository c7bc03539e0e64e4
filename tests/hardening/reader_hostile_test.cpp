// The light-curve reader and the re-plot on hostile files: binary data and
// NUL bytes, a huge file without a line feed, things that are not regular
// files, files that shrink or are replaced between two re-plots, files that
// cannot be read, and names that look like formats or are very long.

#include "HardeningSupport.h"

#include "app/RePlot.h"
#include "lightcurve/FileNames.h"
#include "lightcurve/LightCurve.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <string>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

using hardening::ScratchFolder;

// The number of lines the reader must count: each line feed ends a line
// (a carriage return before it is part of the line end), and a line of 179
// characters or more counts once per piece of up to 179 characters.
std::int32_t expectedLines(const std::string& content)
{
    std::int64_t lines = 0;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t lf = content.find('\n', start);
        const bool hasLf = lf != std::string::npos;
        std::size_t length = (hasLf ? lf : content.size()) - start;
        if (hasLf && length > 0 && content[lf - 1] == '\r')
            --length;
        if (hasLf)
            lines += static_cast<std::int64_t>(length / 179) + 1; // the last piece may be empty
        else
            lines += static_cast<std::int64_t>((length + 178) / 179);
        start = hasLf ? lf + 1 : content.size();
    }
    return static_cast<std::int32_t>(lines);
}

// What holds after every read, whatever the file held.
void expectConsistent(const quorva::LightCurve& lc)
{
    const std::size_t n = static_cast<std::size_t>(lc.sampleCount);
    ASSERT_GE(lc.times.size(), n);
    for (std::size_t i = 0; i < 2 && i < lc.times.size(); ++i) {
        EXPECT_EQ(lc.times[i], 0.0f);
        EXPECT_EQ(lc.values1[i], 0.0f);
    }
    for (std::size_t i = n; i < lc.times.size() && i < n + 1000; ++i) {
        ASSERT_EQ(lc.times[i], 0.0f) << i;
        ASSERT_EQ(lc.values3[i], 0.0f) << i;
    }
    EXPECT_FALSE(lc.max1 < -1000.0f);
    EXPECT_FALSE(lc.min1 > 1000.0f);
    EXPECT_FALSE(lc.timeMin > 24.0f);
    EXPECT_FALSE(lc.timeMax < 0.0f);
}

TEST(HostileLightCurve, BinaryDataAndNulBytes)
{
    ScratchFolder dir;
    ASSERT_TRUE(dir.ok());
    const std::string path = dir / "LC20261206_SFU.txt";

    // A NUL ends a line for the parser as it ends a C string: the fields
    // after it keep the preceding sample's values, and a header mark after
    // a NUL does not make a header.
    using namespace std::string_literals;
    const std::string withNul = "title\nTime_UT,1MHz,2MHz,3MHz\n1.0,2,3,4\n5.0,6\0,7,8\nx\0Time_UT,9MHz,9MHz,9MHz\n\0\0\0\n"s;
    ASSERT_TRUE(hardening::writeFile(path, withNul));
    quorva::LightCurve lc;
    const quorva::ReadResult r = lc.read(path);
    EXPECT_TRUE(r.opened);
    ASSERT_EQ(lc.sampleCount, 6);
    EXPECT_EQ(lc.times[3], 5.0f);
    EXPECT_EQ(lc.values1[3], 6.0f);
    EXPECT_EQ(lc.values2[3], 3.0f); // kept from line 2
    EXPECT_EQ(lc.values3[3], 4.0f);
    EXPECT_EQ(lc.times[4], 5.0f);   // "x\0Time_UT,..." is a data line that does not parse
    EXPECT_EQ(lc.values1[5], 6.0f);
    EXPECT_EQ(lc.freq1, 1.0f);
    EXPECT_EQ(lc.freq3, 3.0f);
    expectConsistent(lc);

    // Random bytes of every value, in files of several sizes, some with
    // long runs without a line feed.
    std::mt19937 random(20261206);
    for (int round = 0; round < 6; ++round) {
        std::string bytes(static_cast<std::size_t>(1000 + (random() % 400000)), '\0');
        for (char& c : bytes)
            c = static_cast<char>(random() & 0xff);
        if (round % 2) {
            for (char& c : bytes)
                c = c == '\n' ? 'x' : c;
        }
        ASSERT_TRUE(hardening::writeFile(path, bytes));
        const quorva::ReadResult rr = lc.read(path);
        EXPECT_TRUE(rr.opened);
        EXPECT_EQ(rr.readError, 0);
        EXPECT_EQ(lc.sampleCount, expectedLines(bytes)) << "round " << round;
        expectConsistent(lc);
    }
}

TEST(HostileLightCurve, FiftyMegabytesWithoutLineFeed)
{
    ScratchFolder dir;
    ASSERT_TRUE(dir.ok());
    const std::string path = dir / "LC_huge_SFU.txt";
    const std::size_t size = 50u * 1024u * 1024u;
    {
        // Numbers and commas, so that every piece parses in part.
        std::string chunk;
        while (chunk.size() < (1u << 20))
            chunk += "12.5,100.25,-3e2,7,";
        chunk.resize(1u << 20);
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        for (std::size_t written = 0; written < size; written += chunk.size())
            ASSERT_EQ(std::fwrite(chunk.data(), 1, chunk.size(), f), chunk.size());
        ASSERT_EQ(std::fclose(f), 0);
    }
    const std::int32_t pieces = static_cast<std::int32_t>((size + 178) / 179);

    quorva::LightCurve lc;
    const auto start = std::chrono::steady_clock::now();
    const quorva::ReadResult r = lc.read(path);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_TRUE(r.opened);
    EXPECT_EQ(r.readError, 0);
    EXPECT_EQ(lc.sampleCount, pieces);
    EXPECT_LT(seconds, 30.0) << "one pass over 50 MB";
    expectConsistent(lc);

    // Read again: the second read of the same file gives the same count
    // and allocates nothing new.
    const float* before = lc.times.data();
    lc.read(path);
    EXPECT_EQ(lc.sampleCount, pieces);
    EXPECT_EQ(lc.times.data(), before);

    // The command line takes the same file in one pass too.
    const hardening::ProcessResult p = hardening::runQuorva({"stats", path});
    ASSERT_TRUE(p.started);
    EXPECT_FALSE(p.timedOut);
    EXPECT_EQ(p.status, 0) << p.err;
    EXPECT_NE(p.out.find("Data Points: " + std::to_string(pieces) + "\n"), std::string::npos) << p.out;
}

TEST(HostileLightCurve, NotRegularFilesCannotBeOpened)
{
    ScratchFolder dir;
    ASSERT_TRUE(dir.ok());
    const std::string good = dir / "LC20261206_SFU.txt";
    ASSERT_TRUE(hardening::writeFile(good, hardening::lightCurveText(20)));
    const std::string fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const std::string folder = dir / "folder";
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);

    // Each read runs in a child: a reader that waited for a FIFO's writer,
    // or read an endless device, would never return; the child is killed
    // after the time limit and the test fails.
    for (const std::string& path : {folder, fifo, std::string("/dev/null"), std::string("/dev/zero"),
                                    std::string("/dev/urandom")}) {
        const int result = hardening::inChild(
            [&] {
                quorva::LightCurve lc;
                lc.read(good);
                if (lc.sampleCount != 22 || lc.freq1 != 45.0f)
                    return 3;
                const quorva::ReadResult r = lc.read(path);
                if (r.opened || r.openError == 0)
                    return 1;
                // As for any file that cannot be opened: count and
                // frequencies kept, samples cleared.
                if (lc.sampleCount != 22 || lc.freq1 != 45.0f || lc.values1[5] != 0.0f || lc.yTop != -995.0f)
                    return 2;
                return 0;
            },
            {}, std::chrono::seconds(20));
        EXPECT_EQ(result, 0) << path << (result == -1 ? ": did not return" : "");
    }

    // The re-plot treats them alike and still plots (an empty page).
    const int replot = hardening::inChild(
        [&] {
            quorva::RePlot rePlot;
            int plots = 0;
            rePlot.setPlotStep([&](const quorva::PlotDescription&, const quorva::PlotGeometry&) { ++plots; });
            const auto r = rePlot.run({.selectedPath = fifo, .unitText = "SFU", .outputFolder = dir.path() + "/",
                                       .output = quorva::OutputChoice::Png, .thicknessText = "2"});
            return (!r.read.opened && r.plotted && plots == 1) ? 0 : 1;
        },
        {}, std::chrono::seconds(20));
    EXPECT_EQ(replot, 0) << (replot == -1 ? "the re-plot of a FIFO did not return" : "");

    // The command line refuses them with a message and status 2, quickly.
    for (const std::string& path : {folder, fifo, std::string("/dev/zero"), std::string("/dev/null")}) {
        const hardening::ProcessResult p = hardening::runQuorva({"stats", path}, {}, {}, 0, std::chrono::seconds(20));
        ASSERT_TRUE(p.started);
        EXPECT_FALSE(p.timedOut) << path;
        EXPECT_EQ(p.status, 2) << path;
        const std::string reason = path == folder ? "Is a directory" : "not a regular file";
        EXPECT_EQ(p.err, "quorva: cannot open " + path + ": " + reason + "\n");
        EXPECT_TRUE(p.out.empty()) << p.out;
    }
}

TEST(HostileLightCurve, FileShrinksOrIsReplacedBetweenTwoRePlots)
{
    ScratchFolder dir;
    ASSERT_TRUE(dir.ok());
    const std::string path = dir / "LC20261206_SFU.txt";
    ASSERT_TRUE(hardening::writeFile(path, hardening::lightCurveText(500)));

    quorva::RePlot rePlot;
    std::vector<std::int32_t> pointCounts;
    rePlot.setPlotStep([&](const quorva::PlotDescription& d, const quorva::PlotGeometry&) {
        pointCounts.push_back(d.pointCount);
        // The description refers to the arrays: every point it names is
        // readable and nothing past the count is left from before.
        for (std::int32_t i = 0; i < d.pointCount; ++i)
            ASSERT_FALSE(d.xValues[i] < 0.0f) << i;
    });
    const quorva::RePlotRequest request{.selectedPath = path, .unitText = "SFU", .outputFolder = dir.path() + "/",
                                        .output = quorva::OutputChoice::Pdf, .thicknessText = "2"};
    rePlot.run(request);
    ASSERT_EQ(rePlot.lightCurve().sampleCount, 502);
    const float lastBefore = rePlot.lightCurve().last1;

    // Truncated in place to 10 lines, the last one cut in half.
    std::string shorter = hardening::lightCurveText(9) + "10.5,99";
    ASSERT_EQ(::truncate(path.c_str(), 0), 0);
    ASSERT_TRUE(hardening::writeFile(path, shorter));
    rePlot.run(request);
    const quorva::LightCurve& lc = rePlot.lightCurve();
    EXPECT_EQ(lc.sampleCount, 12);
    EXPECT_EQ(lc.times[11], 10.5f);
    EXPECT_EQ(lc.values1[11], 99.0f);
    EXPECT_EQ(lc.values2[11], lc.values2[10]); // the half-written line keeps the rest
    for (std::size_t i = 12; i < 600; ++i)
        ASSERT_EQ(lc.values1[i], 0.0f) << i;
    EXPECT_NE(lc.last1, lastBefore);

    // Truncated to nothing: an empty file.
    ASSERT_EQ(::truncate(path.c_str(), 0), 0);
    rePlot.run(request);
    EXPECT_EQ(lc.sampleCount, 0);
    EXPECT_EQ(lc.yTop, -995.0f);

    // Replaced by another file (rename over it, as editors and copies do).
    const std::string other = dir / "new.txt";
    ASSERT_TRUE(hardening::writeFile(other, hardening::lightCurveText(40, 10.0f)));
    ASSERT_EQ(std::rename(other.c_str(), path.c_str()), 0);
    rePlot.run(request);
    EXPECT_EQ(lc.sampleCount, 42);
    EXPECT_EQ(lc.values1[2], 200.0f);

    // Removed: the read cannot open it; the count of the last good read
    // stays, the samples are cleared.
    ASSERT_EQ(::unlink(path.c_str()), 0);
    const auto gone = rePlot.run(request);
    EXPECT_FALSE(gone.read.opened);
    EXPECT_EQ(gone.read.openError, ENOENT);
    EXPECT_EQ(lc.sampleCount, 42);
    EXPECT_EQ(lc.values1[2], 0.0f);
    EXPECT_EQ(pointCounts, (std::vector<std::int32_t>{502, 12, 0, 42, 42}));
}

TEST(HostileLightCurve, PermissionDenied)
{
    ScratchFolder dir;
    ASSERT_TRUE(dir.ok());
    const std::string path = dir / "LC20261206_SFU.txt";
    ASSERT_TRUE(hardening::writeFile(path, hardening::lightCurveText(20)));
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);

    // Root reads any file whatever its permission bits, so the refusal is
    // tested in a child that has dropped to the user "nobody".
    const int result = hardening::inChild(
        [&] {
            quorva::LightCurve lc;
            const quorva::ReadResult r = lc.read(path);
            if (r.opened)
                return 1;
            return r.openError == EACCES ? 0 : 2;
        },
        hardening::becomeNobody);
    EXPECT_EQ(result, 0);

    const hardening::ProcessResult p = hardening::runQuorva({"stats", path}, {}, {}, hardening::kNobody);
    ASSERT_TRUE(p.started);
    EXPECT_EQ(p.status, 2) << p.err;
    EXPECT_NE(p.err.find("quorva: cannot open " + path + ": Permission denied"), std::string::npos) << p.err;
}

TEST(HostileLightCurve, NamesThatLookLikeFormatsOrAreVeryLong)
{
    ScratchFolder dir;
    ASSERT_TRUE(dir.ok());
    // A folder chain of about 4,000 characters, then a file name with
    // conversions, blanks and bytes that are not UTF-8.
    const std::string name = "LC%s%n%p \xc3\x28 20261206_SFU%.txt";
    const std::string component = "%s%n %x%%d \xff\xfe" + std::string(180, 'q');
    std::string folder = dir.path();
    while (folder.size() < 4000 - name.size() - 1) {
        const std::size_t room = 4000 - name.size() - 1 - folder.size() - 1;
        folder += "/" + component.substr(0, std::min(component.size(), std::max<std::size_t>(room, 1)));
        ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0) << folder.size();
    }
    const std::string path = folder + "/" + name;
    ASSERT_EQ(path.size(), 4000u);
    ASSERT_TRUE(hardening::writeFile(path, hardening::lightCurveText(30)));

    quorva::LightCurve lc;
    const quorva::ReadResult r = lc.read(path);
    EXPECT_TRUE(r.opened) << std::strerror(r.openError);
    EXPECT_EQ(lc.sampleCount, 32);
    EXPECT_EQ(lc.inputPath, path); // whole, never cut
    EXPECT_EQ(quorva::fileNamePart(lc.inputPath), name);

    // The re-plot puts the name into the title and the output file name
    // unchanged, as text and not as a format.
    quorva::RePlot rePlot;
    rePlot.run({.selectedPath = path, .unitText = "SFU", .outputFolder = folder + "/",
                .output = quorva::OutputChoice::Eps, .thicknessText = "2"});
    EXPECT_EQ(rePlot.description().title.substr(0, name.size() + 3), name + ":r=");
    EXPECT_EQ(rePlot.description().fileName, folder + "/Plot_" + name + ".EPS");

    // The command line prints the name byte for byte.
    const hardening::ProcessResult p = hardening::runQuorva({"stats", path});
    ASSERT_TRUE(p.started);
    EXPECT_EQ(p.status, 0) << p.err;
    EXPECT_EQ(p.out.substr(0, 6 + name.size() + 1), "File: " + name + "\n");

    // A name that does not exist reports the whole path.
    const std::string missing = folder + "/%n%n%n%s missing";
    const hardening::ProcessResult q = hardening::runQuorva({"stats", missing});
    EXPECT_EQ(q.status, 2);
    EXPECT_NE(q.err.find("quorva: cannot open " + missing + ": No such file or directory"), std::string::npos);
}

} // namespace
