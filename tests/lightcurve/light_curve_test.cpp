#include "lightcurve/LightCurve.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

using quorva::LightCurve;

class LightCurveTest : public ::testing::Test {
protected:
    std::string write(const std::string& name, const std::string& content)
    {
        const std::string path = dir.path().toStdString() + "/" + name;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << content;
        return path;
    }

    QTemporaryDir dir;
    LightCurve lc;
};

const char kTitle[] = "Tervasol light curve KORB 2026-12-06\n";
const char kHeader[] = "Time_UT,45.0MHz,150.5MHz,410.0MHz\n";
const char kNulLines[] = "1,2,3,4\n5,6,7,8\n9,10,11,12\nab\0Time_UT,1MHz,2MHz,3MHz\n";

TEST_F(LightCurveTest, ReadsTitleHeaderAndDataWithAllDerivedValues)
{
    const std::string path = write("LC_a_SFU.txt", std::string(kTitle) + kHeader
        + "10.25,12.0,30.5,7.25\n"
          "10.50,49.9,3.0,8.0\n"
          "10.75, 20.0,\t-2.5,9.5\n");
    const quorva::ReadResult r = lc.read(path);
    EXPECT_TRUE(r.opened);
    EXPECT_EQ(lc.inputPath, path);
    EXPECT_EQ(lc.sampleCount, 5);
    EXPECT_EQ(lc.lineCount, 5);
    EXPECT_EQ(lc.freq1, 45.0f);
    EXPECT_EQ(lc.freq2, 150.5f);
    EXPECT_EQ(lc.freq3, 410.0f);
    for (int i : {0, 1}) {
        EXPECT_EQ(lc.times[i], 0.0f);
        EXPECT_EQ(lc.values1[i], 0.0f);
        EXPECT_EQ(lc.values2[i], 0.0f);
        EXPECT_EQ(lc.values3[i], 0.0f);
    }
    EXPECT_EQ(lc.times[2], 10.25f);
    EXPECT_EQ(lc.values2[2], 30.5f);
    EXPECT_EQ(lc.times[4], 10.75f);
    EXPECT_EQ(lc.values1[4], 20.0f);
    EXPECT_EQ(lc.values2[4], -2.5f);
    EXPECT_EQ(lc.values3[4], 9.5f);
    EXPECT_EQ(lc.values1[5], 0.0f);
    EXPECT_EQ(lc.timeMin, 10.25f);
    EXPECT_EQ(lc.timeMax, 10.75f);
    // Channel 1's extremes are folded over all three channels.
    EXPECT_EQ(lc.max1, 49.9f);
    EXPECT_EQ(lc.min1, -2.5f);
    EXPECT_EQ(lc.max2, 30.5f);
    EXPECT_EQ(lc.min2, -2.5f);
    EXPECT_EQ(lc.max3, 9.5f);
    EXPECT_EQ(lc.min3, 7.25f);
    EXPECT_EQ(lc.last1, 20.0f);
    EXPECT_EQ(lc.last2, -2.5f);
    EXPECT_EQ(lc.last3, 9.5f);
    EXPECT_EQ(lc.yTop, 50.0f);
    EXPECT_EQ(lc.yBottom, 0.0f);
    EXPECT_GE(lc.times.size(), LightCurve::kMinimumCapacity);
}

TEST_F(LightCurveTest, LineEndsAndFinalLineFeedDoNotChangeTheResult)
{
    const std::string lines[] = {"title", "Time_UT,45.0MHz,150.5MHz,410.0MHz", "7.5,1,2,3", "7.75,4,5,6",
                                 "8.0,7,8,9"};
    std::string lf, crlf;
    for (const std::string& l : lines) {
        lf += l + "\n";
        crlf += l + "\r\n";
    }
    const std::string variants[] = {lf, lf.substr(0, lf.size() - 1), crlf, crlf.substr(0, crlf.size() - 2)};
    for (const std::string& content : variants) {
        lc.read(write("v.txt", content));
        EXPECT_EQ(lc.sampleCount, 5);
        EXPECT_EQ(lc.freq3, 410.0f);
        EXPECT_EQ(lc.times[4], 8.0f);
        EXPECT_EQ(lc.values3[4], 9.0f);
        EXPECT_EQ(lc.last3, 9.0f);
        EXPECT_EQ(lc.values1[5], 0.0f);
        EXPECT_EQ(lc.max1, 9.0f);
        EXPECT_EQ(lc.yTop, 10.0f);
        EXPECT_EQ(lc.yBottom, 0.0f);
    }
}

TEST_F(LightCurveTest, PartialLinesCarryThePrecedingValues)
{
    // A line that parses before any data line did gets zeros (fresh for
    // every read, even after a file that ended with other values).
    lc.read(write("first.txt", "t\nh\n99,99,99,99\n"));
    const std::string path = write("partial.txt",
        std::string(kTitle) + kHeader
            + "garbage\n"    // 2: nothing parses, nothing set yet -> zeros
              "10.0,1,2,3\n" // 3
              "\n"           // 4: blank -> copy of 3
              "10.1,4\n"     // 5: half-written -> 10.1,4,2,3
              "10.2,5,x,7\n" // 6: stops at x -> 10.2,5,2,3
              "10.3 ,6,7,8\n" // 7: blank before the comma stops after the time
              "10.4,1e1,2E-1,-3.5e+1 trailing text\n" // 8
              "10.5,7"); // 9: last line half written, no line feed
    lc.read(path);
    ASSERT_EQ(lc.sampleCount, 10);
    const float expected[][4] = {{0, 0, 0, 0},   {0, 0, 0, 0},  {0, 0, 0, 0},     {10.0f, 1, 2, 3},
                                 {10.0f, 1, 2, 3}, {10.1f, 4, 2, 3}, {10.2f, 5, 2, 3}, {10.3f, 5, 2, 3},
                                 {10.4f, 10, 0.2f, -35}, {10.5f, 7, 0.2f, -35}};
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(lc.times[i], expected[i][0]) << "line " << i;
        EXPECT_EQ(lc.values1[i], expected[i][1]) << "line " << i;
        EXPECT_EQ(lc.values2[i], expected[i][2]) << "line " << i;
        EXPECT_EQ(lc.values3[i], expected[i][3]) << "line " << i;
    }
    // The zeros of line 2 take part in the extremes.
    EXPECT_EQ(lc.timeMin, 0.0f);
    EXPECT_EQ(lc.timeMax, 10.5f);
    EXPECT_EQ(lc.min1, -35.0f);
    EXPECT_EQ(lc.min2, 0.0f);
    EXPECT_EQ(lc.max1, 10.0f);
    EXPECT_EQ(lc.last1, 7.0f);
    EXPECT_EQ(lc.last2, 0.2f);
    EXPECT_EQ(lc.last3, -35.0f);
    EXPECT_EQ(lc.yBottom, -35.0f);
    EXPECT_EQ(lc.yTop, 15.0f);

    // As with scanf's "%f", an exponent mark without digits is passed over
    // when the number has no exponent yet; after one it ends the line.
    lc.read(write("exponent.txt", "t\nh\n10.6,1e,2E+,3e-\n10.7,4e1e,5,6\n"));
    EXPECT_EQ(lc.times[2], 10.6f);
    EXPECT_EQ(lc.values1[2], 1.0f);
    EXPECT_EQ(lc.values2[2], 2.0f);
    EXPECT_EQ(lc.values3[2], 3.0f);
    EXPECT_EQ(lc.values1[3], 40.0f);
    EXPECT_EQ(lc.values2[3], 2.0f);
}

TEST_F(LightCurveTest, HeaderLinesAnywhereAndPartialHeaders)
{
    lc.read(write("h1.txt", std::string(kTitle) + kHeader + "1,1,1,1\n"));
    ASSERT_EQ(lc.freq2, 150.5f);

    // A second header further down is no sample; its index stays 0 and the
    // next blank line copies the last data line, not the header. A blank
    // before "MHz" ends the header pattern there.
    lc.read(write("h2.txt", std::string(kTitle)
                                + "Time_UT,30.0MHz,60.5 MHz,90.0MHz\n"
                                  "5.0,10,20,30\n"
                                  "x Time_UT,1MHz,2MHz,3MHz\n"
                                  "\n"
                                  "Time_UT, 11MHz,12MHz,13MHz\n"));
    EXPECT_EQ(lc.sampleCount, 6);
    EXPECT_EQ(lc.times[3], 0.0f);
    EXPECT_EQ(lc.values1[3], 0.0f);
    EXPECT_EQ(lc.times[4], 5.0f);
    EXPECT_EQ(lc.values3[4], 30.0f);
    EXPECT_EQ(lc.values3[5], 0.0f);
    EXPECT_EQ(lc.last1, 0.0f); // the last line is a header
    EXPECT_EQ(lc.freq1, 11.0f);
    EXPECT_EQ(lc.freq2, 12.0f);
    EXPECT_EQ(lc.freq3, 13.0f);

    lc.read(write("h3.txt", "Time_UT,30.0MHz,60.5 MHz,90.0MHz\nTime_UT,7MHz\n"));
    EXPECT_EQ(lc.freq1, 7.0f);
    EXPECT_EQ(lc.freq2, 60.5f);
    EXPECT_EQ(lc.freq3, 13.0f);

    // A file without any header keeps the frequencies of the last one;
    // text on lines 0 and 1 is never data, and a NUL hides what follows.
    lc.read(write("h4.txt", std::string(kNulLines, sizeof kNulLines - 1)));
    EXPECT_EQ(lc.freq1, 7.0f);
    EXPECT_EQ(lc.sampleCount, 4);
    EXPECT_EQ(lc.values1[0], 0.0f);
    EXPECT_EQ(lc.values1[1], 0.0f);
    EXPECT_EQ(lc.values1[2], 10.0f);
    EXPECT_EQ(lc.values1[3], 10.0f);
}

TEST_F(LightCurveTest, LongLinesAreReadInPiecesThatCountAsLines)
{
    std::string content = std::string(kTitle) + kHeader + "1.0,1,1,1\n";
    // 2 + 1 line: 175 blanks and "1.25" fill one piece of 179; "5,7,8,9"
    // is the next piece.
    content += std::string(175, ' ') + "1.25" + "5,7,8,9\n";
    // Exactly 179 characters: the line feed is a piece of its own, a blank
    // line that copies the sample before it.
    const std::string line179 = "2.0,2,2,2" + std::string(170, ' ');
    content += line179 + "\n";
    // The same with CRLF: the carriage return is part of the line end.
    content += line179 + "\r\n";
    // 178 characters and a line feed: one piece.
    content += "3.0,3,3,3" + std::string(169, ' ') + "\r\n";
    // 400 characters: pieces of 179, 179 and 42.
    content += "4.0,4,4,4" + std::string(170, ' ') + "4.5,5,5,5" + std::string(170, ' ') + "4.75,6,6,6"
               + std::string(32, ' ') + "\n";

    lc.read(write("long.txt", content));
    const float expected[][2] = {{0, 0},  {0, 0},    {1.0f, 1}, {1.25f, 1}, {5.0f, 7},   {2.0f, 2}, {2.0f, 2},
                                 {2.0f, 2}, {2.0f, 2}, {3.0f, 3}, {4.0f, 4},  {4.5f, 5}, {4.75f, 6}};
    ASSERT_EQ(lc.sampleCount, 13);
    for (int i = 0; i < 13; ++i) {
        EXPECT_EQ(lc.times[i], expected[i][0]) << "line " << i;
        EXPECT_EQ(lc.values1[i], expected[i][1]) << "line " << i;
    }

    // A line far longer than the read buffer still gives pieces of 179.
    std::string huge = std::string(kTitle) + kHeader;
    const std::size_t length = 600017; // longer than the read buffer
    huge += std::string(length, ' ') + "\n" + "9.5,1,2,3\n";
    lc.read(write("huge.txt", huge));
    const std::size_t pieces = (length + 178) / 179 + ((length % 179) == 0 ? 1 : 0);
    EXPECT_EQ(static_cast<std::size_t>(lc.sampleCount), 2 + pieces + 1);
    EXPECT_EQ(lc.last1, 1.0f);
}

TEST_F(LightCurveTest, MoreThanFortyThousandLinesAreReadWhole)
{
    std::string content = std::string(kTitle) + kHeader;
    const int samples = 100000;
    char line[64];
    for (int i = 0; i < samples; ++i) {
        std::snprintf(line, sizeof line, "%.6f,%d,%d.5,%d\n", 8.0 + i / 14400.0, i, i % 100, -i);
        content += line;
    }
    const std::string path = write("big.txt", content);
    lc.read(path);
    ASSERT_EQ(lc.sampleCount, samples + 2);
    ASSERT_GE(lc.values1.size(), static_cast<std::size_t>(samples + 2));
    EXPECT_EQ(lc.values1[40000], 39998.0f);
    EXPECT_EQ(lc.values1[samples + 1], static_cast<float>(samples - 1));
    EXPECT_EQ(lc.values3[samples + 1], static_cast<float>(-(samples - 1)));
    EXPECT_EQ(lc.last1, static_cast<float>(samples - 1));
    EXPECT_EQ(lc.last2, 99.5f);
    EXPECT_EQ(lc.max1, static_cast<float>(samples - 1));
    EXPECT_EQ(lc.max2, 99.5f);
    EXPECT_EQ(lc.min3, static_cast<float>(-(samples - 1)));
    EXPECT_EQ(lc.min1, lc.min3);

    // Reading the same file again reuses the store; a shorter file clears
    // the entries it no longer covers.
    const float* data = lc.values1.data();
    lc.read(path);
    EXPECT_EQ(lc.values1.data(), data);
    lc.read(write("small.txt", std::string(kTitle) + kHeader + "9,1,2,3\n"));
    EXPECT_EQ(lc.sampleCount, 3);
    EXPECT_EQ(lc.values1.data(), data);
    for (int i : {3, 40000, samples + 1}) {
        EXPECT_EQ(lc.times[i], 0.0f);
        EXPECT_EQ(lc.values1[i], 0.0f);
        EXPECT_EQ(lc.values3[i], 0.0f);
    }
}

TEST_F(LightCurveTest, StartValuesTakePartInTheExtremes)
{
    struct Case {
        const char* data;
        float min1, max1, yBottom, yTop;
    };
    const Case cases[] = {
        {"1,1200,1500,1100\n1,2000,1001,3000\n", 1000, 3000, 1000, 3005},
        {"1,-1200,-1500,-1100\n", -1500, -1000, -1500, -995},
        {"1,50,12,20\n", 12, 50, 10, 55},
        {"1,49.9,0,20\n", 0, 49.9f, 0, 50},
        {"1,-7,-3,-3\n", -7, -3, -5, 5},
        {"1,-7,-3.5,-8\n", -8, -3.5f, -5, 5},
        {"1,-3,-3,-3\n", -3, -3, 0, 5},
        {"1,-7,-7,-7\n", -7, -7, -5, 0},
        {"1,1000,1000,1000\n", 1000, 1000, 1000, 1005},
        {"1,3e38,-3e38,0\n", -3e38f, 3e38f, static_cast<float>(5.0 * std::trunc(-3e38f * 0.2)),
         static_cast<float>(5.0 * (std::trunc(3e38f * 0.2) + 1))},
    };
    for (const Case& c : cases) {
        lc.read(write("x.txt", std::string(kTitle) + kHeader + c.data));
        EXPECT_EQ(lc.min1, c.min1) << c.data;
        EXPECT_EQ(lc.max1, c.max1) << c.data;
        EXPECT_EQ(lc.yBottom, c.yBottom) << c.data;
        EXPECT_EQ(lc.yTop, c.yTop) << c.data;
        EXPECT_EQ(std::signbit(lc.yBottom), c.yBottom < 0) << c.data; // never "-0"
        EXPECT_EQ(std::signbit(lc.yTop), c.yTop < 0) << c.data;
    }
    lc.read(write("t.txt", std::string(kTitle) + kHeader + "25,1,1,1\n-1,1,1,1\n"));
    EXPECT_EQ(lc.timeMax, 25.0f);
    EXPECT_EQ(lc.timeMin, -1.0f);
    lc.read(write("t.txt", std::string(kTitle) + kHeader + "12,1,1,1\n"));
    EXPECT_EQ(lc.timeMax, 12.0f);
    EXPECT_EQ(lc.timeMin, 12.0f);
}

TEST_F(LightCurveTest, FilesThatCannotBeReadLeaveTheStartValues)
{
    const std::string good = write("good.txt", std::string(kTitle) + kHeader + "10,1,2,3\n11,4,5,6\n");
    auto expectStartValues = [&](int sampleCount, float freq1) {
        EXPECT_EQ(lc.sampleCount, sampleCount);
        EXPECT_EQ(lc.freq1, freq1);
        EXPECT_EQ(lc.timeMin, 24.0f);
        EXPECT_EQ(lc.timeMax, 0.0f);
        EXPECT_EQ(lc.max1, -1000.0f);
        EXPECT_EQ(lc.min1, 1000.0f);
        EXPECT_EQ(lc.yTop, -995.0f);
        EXPECT_EQ(lc.yBottom, 1000.0f);
        EXPECT_EQ(lc.last1, 0.0f);
        EXPECT_EQ(lc.last3, 0.0f);
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(lc.times[i], 0.0f);
            EXPECT_EQ(lc.values3[i], 0.0f);
        }
    };

    // Before any read.
    EXPECT_EQ(lc.yTop, -995.0f);
    EXPECT_EQ(lc.yBottom, 1000.0f);

    ASSERT_TRUE(lc.read(good).opened);
    ASSERT_EQ(lc.sampleCount, 4);
    quorva::ReadResult r = lc.read(dir.path().toStdString() + "/missing.txt");
    EXPECT_FALSE(r.opened);
    EXPECT_EQ(r.openError, ENOENT);
    EXPECT_EQ(lc.inputPath, dir.path().toStdString() + "/missing.txt");
    expectStartValues(4, 45.0f);

    lc.read(good);
    r = lc.read("");
    EXPECT_FALSE(r.opened);
    expectStartValues(4, 45.0f);

    lc.read(good);
    r = lc.read(dir.path().toStdString());
    EXPECT_FALSE(r.opened);
    EXPECT_EQ(r.openError, EISDIR);
    expectStartValues(4, 45.0f);

    lc.read(good);
    r = lc.read(write("empty.txt", ""));
    EXPECT_TRUE(r.opened);
    EXPECT_EQ(r.readError, 0);
    expectStartValues(0, 45.0f);
}

TEST_F(LightCurveTest, LongPathsAndGrowingFiles)
{
    std::string folder = dir.path().toStdString();
    for (int i = 0; i < 6; ++i) {
        folder += "/" + std::string(50, static_cast<char>('a' + i));
        ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
    }
    const std::string path = folder + "/LC20261206_SFU.txt";
    ASSERT_GT(path.size(), 300u);
    {
        std::ofstream out(path, std::ios::binary);
        out << kTitle << kHeader << "10,1,2,3\n10.5,4,5,6";
    }
    ASSERT_TRUE(lc.read(path).opened);
    EXPECT_EQ(lc.inputPath, path);
    EXPECT_EQ(lc.sampleCount, 4);
    EXPECT_EQ(lc.last3, 6.0f);
    {
        // The acquisition software finishes the line and appends another.
        std::ofstream out(path, std::ios::binary | std::ios::app);
        out << "5\n11,7,8,9\n";
    }
    lc.read(path);
    EXPECT_EQ(lc.sampleCount, 5);
    EXPECT_EQ(lc.values3[3], 65.0f);
    EXPECT_EQ(lc.last3, 9.0f);
}

} // namespace
