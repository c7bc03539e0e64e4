// "Quorva.cfg" with garbage, NUL bytes, overlong lines and hostile values:
// the reader takes what the key lines say and nothing else, and the desktop
// program starts and plots with such a file in its working directory.

#include "HardeningSupport.h"

#include "app/Configuration.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>

namespace {

using hardening::ScratchFolder;
using namespace std::string_literals;

quorva::Configuration readFrom(const ScratchFolder& dir, const std::string& content)
{
    const std::string path = dir / "Quorva.cfg";
    EXPECT_TRUE(hardening::writeFile(path, content));
    return quorva::readConfiguration(path);
}

TEST(HostileConfiguration, GarbageAndNulBytes)
{
    ScratchFolder dir;
    ASSERT_TRUE(dir.ok());

    // Random bytes without a '[' at any line start: the start values.
    std::mt19937 random(5);
    std::string garbage(300000, '\0');
    for (char& c : garbage) {
        c = static_cast<char>(random() & 0xff);
        if (c == '[')
            c = ']';
    }
    for (std::size_t i = 0; i < garbage.size(); i += 1 + random() % 200)
        garbage[i] = '\n';
    quorva::Configuration c = readFrom(dir, garbage);
    EXPECT_EQ(c.inputFolder, "");
    EXPECT_EQ(c.outputFolder, "");
    EXPECT_EQ(c.sizeIndex, 0);
    EXPECT_EQ(c.updateInterval, 0);

    // Key lines among garbage still count; a NUL ends a line's text, so a
    // value never holds one, and a key hidden behind a NUL is no key.
    c = readFrom(dir, "\x01\x02\xff\n[size]=3\0garbage\n[update]=\0" "77\n[path]=/data/a\0b\n\xfe[output]=/x/\n"
                      "[output]=/out/\n"s);
    EXPECT_EQ(c.sizeIndex, 3);
    EXPECT_EQ(c.updateInterval, 0);
    EXPECT_EQ(c.inputFolder, "/data/a");
    EXPECT_EQ(c.outputFolder, "/out/");

    // A file of nothing but line feeds, or nothing at all.
    EXPECT_EQ(readFrom(dir, std::string(100000, '\n')).sizeIndex, 0);
    EXPECT_EQ(readFrom(dir, "").inputFolder, "");
}

TEST(HostileConfiguration, OverlongLinesEndTheReading)
{
    ScratchFolder dir;
    ASSERT_TRUE(dir.ok());

    // A folder of 232 characters fills a line of exactly 239: taken whole,
    // and the lines after it are still read.
    const std::string folder232 = "/" + std::string(230, 'f') + "/";
    quorva::Configuration c = readFrom(dir, "[output]=" + folder232.substr(2) + "\n[size]=4\n");
    EXPECT_EQ(c.outputFolder, folder232.substr(2));
    EXPECT_EQ(c.sizeIndex, 4);
    c = readFrom(dir, "[path]=" + folder232 + "\n[size]=4\n");
    EXPECT_EQ(c.inputFolder, folder232);
    EXPECT_EQ(c.sizeIndex, 4);

    // A line of a megabyte: its first 239 characters are a line, and
    // nothing after it is read.
    c = readFrom(dir, "[size]=2\n[update]=" + std::string(1 << 20, '9') + "\n[size]=3\n");
    EXPECT_EQ(c.sizeIndex, 2);
    EXPECT_EQ(c.updateInterval, INT_MAX); // 230 nines, held at the end of the range
    c = readFrom(dir, std::string(5000, '#') + "\n[size]=3\n");
    EXPECT_EQ(c.sizeIndex, 0);
}

TEST(HostileConfiguration, HostileValues)
{
    ScratchFolder dir;
    ASSERT_TRUE(dir.ok());
    const quorva::Configuration c = readFrom(dir,
                                             "[path]=%s%n%x|%n|\xff\xfe\n"
                                             "[output]=/no/such/%s/folder|with|blanks/\n"
                                             "[size]=-2147483649\n"
                                             "[update]=0x7fffffffffffffffff\n");
    EXPECT_EQ(c.inputFolder, "%s%n%x %n \xff\xfe");
    EXPECT_EQ(c.outputFolder, "/no/such/%s/folder with blanks/");
    EXPECT_EQ(c.sizeIndex, INT_MIN);
    EXPECT_EQ(c.updateInterval, INT_MAX);
}

// The desktop program reads "Quorva.cfg" from its working directory at
// start-up. With hostile files there it starts, opens and plots a light
// curve and ends normally (the screenshot hook ends it after the plot).
TEST(HostileConfiguration, TheDesktopProgramStartsWithThem)
{
    if (!QUORVA_WITH_DESKTOP)
        GTEST_SKIP() << "built without the desktop program";
    ScratchFolder dir;
    ASSERT_TRUE(dir.ok());
    const std::string lc = dir / "LC20261206_SFU.txt";
    ASSERT_TRUE(hardening::writeFile(lc, hardening::lightCurveText(200)));

    std::mt19937 random(11);
    std::string garbage(20000, '\0');
    for (char& c : garbage)
        c = static_cast<char>(random() & 0xff);
    const std::string files[] = {
        garbage,
        "[size]=" + std::string(100000, '7') + "\n",
        "[path]=%s%n%s%n\n[output]=/no/such/folder/\n[size]=-2147483648\n[update]=-1\n",
        "[path]=" + dir.path() + "\n[output]=" + std::string(230, '/') + "\n[size]=2147483647\n[update]=0x7fffffff\n",
        "[size]=4\n[update]=600\n[output]=%n%n/\n",
    };
    int n = 0;
    for (const std::string& content : files) {
        const std::string work = dir / ("run" + std::to_string(n));
        ASSERT_EQ(::mkdir(work.c_str(), 0755), 0);
        ASSERT_TRUE(hardening::writeFile(work + "/Quorva.cfg", content));
        const std::string shots = work + "/shots";
        ASSERT_EQ(::mkdir(shots.c_str(), 0755), 0);
        const hardening::ProcessResult p = hardening::runQuorva(
            {}, {"QT_QPA_PLATFORM=offscreen", "QUORVA_DESKTOP_OPEN=" + lc, "QUORVA_DESKTOP_SCREENSHOTS=" + shots},
            work, 0, std::chrono::seconds(120));
        ASSERT_TRUE(p.started);
        EXPECT_FALSE(p.timedOut) << "file " << n;
        EXPECT_EQ(p.signal, 0) << "file " << n << "\n" << p.err;
        EXPECT_EQ(p.status, 0) << "file " << n << "\n" << p.err;
        EXPECT_TRUE(hardening::exists(shots + "/main-window.png")) << "file " << n;
        EXPECT_EQ(hardening::readFile(work + "/Quorva.cfg"), content) << "never written";
        ++n;
    }
}

} // namespace
