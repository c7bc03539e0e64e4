#include "app/Configuration.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <climits>
#include <fstream>
#include <sstream>
#include <string>

namespace {

quorva::Configuration parse(const std::string& text)
{
    std::istringstream in(text);
    return quorva::readConfiguration(in);
}

TEST(Configuration, ReadsTheFourKeys)
{
    const auto c = parse("[path]=/data/lc\n[output]=/data/lc/plots/\n[size]=2\n[update]=10\n");
    EXPECT_EQ(c.inputFolder, "/data/lc");
    EXPECT_EQ(c.outputFolder, "/data/lc/plots/");
    EXPECT_EQ(c.sizeIndex, 2);
    EXPECT_EQ(c.updateInterval, 10);

    // CRLF line ends and text after a value do no harm; blanks after '='
    // are skipped; '|' becomes a blank after the whole file is read.
    const auto d = parse("[path]=  /data/My|Light|Curves  old one\r\n[output]=/data/My|Plots/\r\n[update]=7 s\r\n");
    EXPECT_EQ(d.inputFolder, "/data/My Light Curves");
    EXPECT_EQ(d.outputFolder, "/data/My Plots/");
    EXPECT_EQ(d.updateInterval, 7);
    EXPECT_EQ(d.sizeIndex, 0);
}

TEST(Configuration, NumbersAreReadLikePercentI)
{
    EXPECT_EQ(parse("[size]=0x3\n").sizeIndex, 3);
    EXPECT_EQ(parse("[size]=010\n").sizeIndex, 8);
    EXPECT_EQ(parse("[size]=-2\n").sizeIndex, -2);
    EXPECT_EQ(parse("[size]= +4xyz\n").sizeIndex, 4);
    EXPECT_EQ(parse("[update]=0\n").updateInterval, 0);
    EXPECT_EQ(parse("[update]=900\n").updateInterval, 900);
    EXPECT_EQ(parse("[update]=0X1f\n").updateInterval, 31);
    // Not a number: the setting keeps its value.
    EXPECT_EQ(parse("[update]=5\n[update]=x\n").updateInterval, 5);
    EXPECT_EQ(parse("[update]=5\n[update]=\n").updateInterval, 5);
    // Too large for 32 bits: held at the end of the range, not wrapped.
    EXPECT_EQ(parse("[update]=4294967297\n").updateInterval, INT_MAX);
    EXPECT_EQ(parse("[size]=-99999999999\n").sizeIndex, INT_MIN);
}

TEST(Configuration, OnlyExactLowerCaseKeysAtLineStartCount)
{
    const auto c = parse("# comment [size]=4\n"
                         "\n"
                         "[SIZE]=3\n"
                         " [size]=1\n"
                         "[Path]=/nowhere\n"
                         "x[update]=9\n"
                         "[note] [update]=9\n"
                         "[path]=\n"
                         "[output]=   \n");
    EXPECT_EQ(c.sizeIndex, 0);
    EXPECT_EQ(c.updateInterval, 0);
    EXPECT_EQ(c.inputFolder, "");
    EXPECT_EQ(c.outputFolder, "");

    // The last line that parses wins.
    const auto d = parse("[size]=1\n[path]=/a\n[size]=3\n[size]=oops\n[path]=/b\n[path]=\n");
    EXPECT_EQ(d.sizeIndex, 3);
    EXPECT_EQ(d.inputFolder, "/b");

    // A file without a final line feed still counts its last line.
    EXPECT_EQ(parse("[update]=12").updateInterval, 12);
}

TEST(Configuration, ALineOf240CharactersEndsTheReading)
{
    const std::string value239 = std::string(239 - 7, 'a'); // "[path]=" + 232 = 239
    auto c = parse("[path]=" + value239 + "\n[size]=2\n");
    EXPECT_EQ(c.inputFolder, value239);
    EXPECT_EQ(c.sizeIndex, 2);

    // 240 characters: the first 239 are a line, the rest and all later
    // lines are ignored.
    c = parse("[update]=3\n[path]=" + value239 + "b\n[size]=2\n[update]=20\n");
    EXPECT_EQ(c.inputFolder, value239);
    EXPECT_EQ(c.sizeIndex, 0);
    EXPECT_EQ(c.updateInterval, 3);
}

TEST(Configuration, ReadsQuorvaCfgFromTheWorkingDirectory)
{
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));

    quorva::Configuration c = quorva::readConfiguration();
    EXPECT_EQ(c.inputFolder, "");
    EXPECT_EQ(c.outputFolder, "");
    EXPECT_EQ(c.sizeIndex, 0);
    EXPECT_EQ(c.updateInterval, 0);

    {
        std::ofstream out("Quorva.cfg");
        out << "[path]=/data/lc\n[output]=/data/lc/plots/\n[size]=4\n[update]=600\n";
    }
    c = quorva::readConfiguration();
    EXPECT_EQ(c.inputFolder, "/data/lc");
    EXPECT_EQ(c.outputFolder, "/data/lc/plots/");
    EXPECT_EQ(c.sizeIndex, 4);
    EXPECT_EQ(c.updateInterval, 600);
    QDir::setCurrent(previous);

    // The bundled example parses as documented.
    c = quorva::readConfiguration(std::string(QUORVA_SOURCE_DIR) + "/examples/Quorva.cfg");
    EXPECT_EQ(c.inputFolder, "examples");
    EXPECT_EQ(c.outputFolder, "out/");
    EXPECT_EQ(c.sizeIndex, 2);
    EXPECT_EQ(c.updateInterval, 10);
}

} // namespace
