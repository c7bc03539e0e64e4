// Levels, keyword matching, range checks, warning lines, errmod and the
// end-of-run banner.
#include "EngineTestSupport.h"

using namespace zedozo;
using namespace enginetest;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

class Warnings : public EngineTest {};

const std::string kRule = " " + std::string(66, '<');

std::string bannerLine(const std::string& content)
{
    char buf[128];
    std::snprintf(buf, sizeof buf, "\n <<  %-58s  <<", content.c_str());
    return buf;
}

} // namespace

TEST_F(Warnings, KeywordsAxisSelectionAndRangeChecks)
{
    EXPECT_EQ(findKeyword("LIN +LOG ", 2, "lin"), 1);
    EXPECT_EQ(findKeyword("LIN +LOG ", 2, "LOGARITHMIC"), 2);   // the first four characters count
    EXPECT_EQ(findKeyword("COUN+DELE+BREA", 3, "delete"), 2);
    EXPECT_EQ(findKeyword("LIN +LOG ", 2, "LI"), 0);            // "LI  " is no field
    EXPECT_EQ(findKeyword("LIN +LOG ", 2, ""), 0);
    EXPECT_TRUE(selectAxes("XY").y);
    EXPECT_FALSE(selectAxes("x").y);
    EXPECT_FALSE(selectAxes("abcZ").z);   // only the first three characters count

    st().warn.routine = "thkcrv";
    const std::string out = captureStdout([] {
        EXPECT_EQ(matchKeyword("LIN +LOG ", 2, "LI"), 0);
        EXPECT_TRUE(rangeCheck(10000, 1, 10000));
        EXPECT_FALSE(rangeCheck(10001, 1, 10000));
        EXPECT_TRUE(rangeCheck(123456, 0, -1));   // upper bound below lower: none
        EXPECT_FALSE(rangeCheck(-3, 0, -1));
    });
    EXPECT_EQ(out, " <<<< Warning   2: Incorrect parameter in thkcrv!   (LI)\n"
                   " <<<< Warning   2: Incorrect parameter in thkcrv!   (10001)\n"
                   " <<<< Warning   2: Incorrect parameter in thkcrv!   (  -3)\n");
    EXPECT_EQ(st().warn.warningCount, 3);
}

TEST_F(Warnings, WarningLinesInTheirThreeFormsAndOddNumbers)
{
    st().warn.routine = "graf";
    CaptureStdout();
    warnPlain(9);
    warnText(2, "FOO");
    warnInt(3, 0);
    customText("Window fonts cannot be used");
    warnPlain(101);
    warnPlain(60);   // not a table number: complaint, then an empty text
    EXPECT_EQ(GetCapturedStdout(), " <<<< Warning   9: Step equal zero in graf!\n"
                                   " <<<< Warning   2: Incorrect parameter in graf!   (FOO)\n"
                                   " <<<< Warning   3: Incorrect level in graf!   (   0)\n"
                                   " <<<< Warning 101: Window fonts cannot be used in graf!\n"
                                   "<<<< Incorrect parameter in errmes! (  60)\n"
                                   " <<<< Warning  60:  in graf!\n");
    EXPECT_EQ(st().warn.warningCount, 5);
}

TEST_F(Warnings, LevelRules)
{
    CaptureStdout();
    winmod("NONE");   // settings check: warns at level 0 and stores
    EXPECT_EQ(st().cycle.windowMode, 2);
    float x[2] = {0, 1}, y[2] = {0, 1};
    curve(x, y, 2);   // strict: warns and does nothing
    color("red");
    disfin();
    metafl("EPS");
    setfil(dir.file("a.eps"));
    disini();
    EXPECT_EQ(st().level, 1);
    EXPECT_EQ(st().cycle.windowMode, 0);   // disini resets the window mode
    metafl("PDF");                          // level 0 only
    setfil("other.eps");
    disini();
    curve(x, y, 2);                         // levels 2..3 only
    thkcrv(0);
    thkcrv(3);
    disfin();
    EXPECT_EQ(st().level, 0);
    EXPECT_EQ(GetCapturedStdout(), " <<<< Warning   3: Incorrect level in winmod!   (   0)\n"
                                   " <<<< Warning   3: Incorrect level in curve!   (   0)\n"
                                   " <<<< Warning   3: Incorrect level in color!   (   0)\n"
                                   " <<<< Warning   3: Incorrect level in disfin!   (   0)\n"
                                   " <<<< Warning   3: Incorrect level in metafl!   (   1)\n"
                                   " <<<< Warning   3: Incorrect level in setfil!   (   1)\n"
                                   " <<<< Warning   3: Incorrect level in disini!   (   1)\n"
                                   " <<<< Warning   3: Incorrect level in curve!   (   1)\n"
                                   " <<<< Warning   2: Incorrect parameter in thkcrv!   (   0)\n"
                                   + std::string("\n") + kRule
                                   + "\n <<                END OF ZEDOZO / VERSION  9.1" + std::string(18, ' ') + "<<"
                                   + "\n <<  Date    : 14.11.2023  Time    : 22:13:20  Pageformat: DA4L  <<"
                                   + "\n <<  Vectors : 0           Warnings: 5         Fileformat:  EPS  <<"
                                   + bannerLine("Metafile: " + dir.file("a.eps").substr(0, 48)) + "\n" + kRule
                                   + "\n\n");
    EXPECT_EQ(st().cycle.devcode, 503);   // metafl at level 1 changed nothing
    EXPECT_EQ(st().curve.thickness, 3);
}

TEST_F(Warnings, ErrmodSwitchesAndBadWords)
{
    open("EPS", dir.file("e.eps"));
    const std::string out = captureStdout([this] {
        errmod("ALL", "MAYBE");   // no switch changes
        EXPECT_TRUE(st().warn.warnOn);
        errmod("CHECK", "OFF");
        EXPECT_TRUE(st().warn.warnOn);
        errmod("PROT", "off");
        EXPECT_FALSE(st().warn.protocolOn);
        errmod("ALL", "OFF");
        thkcrv(0);   // silent but counted
        thkcrv(-5);
        disfin();    // no banner either
    });
    EXPECT_EQ(out, " <<<< Warning   2: Incorrect parameter in errmod!   (MAYBE)\n");
    EXPECT_EQ(st().warn.warningCount, 3);
    EXPECT_FALSE(st().warn.warnOn);
    EXPECT_EQ(st().warn.checkOn, 0);
}

TEST_F(Warnings, ErrorFileForConsoleDevicesAndItsBannerLine)
{
    metafl("TEKT");   // a terminal: its plot output would go to the console
    CaptureStdout();
    disini();         // not supported: reported on the console
    thkcrv(0);        // from now on warnings go to the error file
    disfin();
    std::string console = GetCapturedStdout();
    EXPECT_EQ(console, " <<<< Warning 101: Device TEKT is not supported in disini!\n");
    std::string err = readFile(dir.file("zedozo.err"));
    EXPECT_EQ(err, " <<<< Warning   2: Incorrect parameter in thkcrv!   (   0)\n" + std::string("\n") + kRule
                       + "\n <<                END OF ZEDOZO / VERSION  9.1" + std::string(18, ' ') + "<<"
                       + "\n <<  Date    : 14.11.2023  Time    : 22:13:20  Pageformat: DA4L  <<"
                       + "\n <<  Vectors : 0           Warnings: 2         Fileformat: TEKT  <<"
                       + bannerLine("Err-file: zedozo.err") + "\n" + kRule + "\n\n");
    EXPECT_EQ(lastFailure().warning, 101);
    EXPECT_EQ(lastFailure().text, "Device TEKT is not supported");
    EXPECT_FALSE(st().warn.errFileOpen);
}

TEST_F(Warnings, ClockHonoursSourceDateEpoch)
{
    ::setenv("SOURCE_DATE_EPOCH", "86399", 1);
    const EngineTime t = engineNow();
    EXPECT_EQ(t.year * 10000 + t.month * 100 + t.day, 19700101);
    EXPECT_EQ(t.hour * 10000 + t.minute * 100 + t.second, 235959);
    ::setenv("SOURCE_DATE_EPOCH", "garbage", 1);   // falls back to the local clock
    EXPECT_GE(engineNow().year, 2024);
    ::setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
}
