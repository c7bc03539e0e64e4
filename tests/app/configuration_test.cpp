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

TEST(Configuration, ReadsTheFourKeysAndOnlyExactKeysAtLineStart)
{
    // CRLF line ends and text after a value do no harm; blanks after '='
    // are skipped; '|' becomes a blank after the whole file is read.
    const auto d = parse("[path]=  /data/My|Light|Curves  old one\r\n[output]=/data/My|Plots/\r\n[size]=2\r\n[update]=7 s\r\n");
    EXPECT_EQ(d.inputFolder, "/data/My Light Curves");
    EXPECT_EQ(d.outputFolder, "/data/My Plots/");
    EXPECT_EQ(d.sizeIndex, 2);
    EXPECT_EQ(d.updateInterval, 7);

    const auto c = parse("# comment [size]=4\n\n[SIZE]=3\n [size]=1\n[Path]=/nowhere\nx[update]=9\n"
                         "[note] [update]=9\n[path]=\n[output]=   \n");
    EXPECT_EQ(c.sizeIndex, 0);
    EXPECT_EQ(c.updateInterval, 0);
    EXPECT_EQ(c.inputFolder, "");
    EXPECT_EQ(c.outputFolder, "");

    // The last line that parses wins; a last line without line feed counts.
    const auto e = parse("[size]=1\n[path]=/a\n[size]=3\n[size]=oops\n[path]=/b\n[path]=\n[update]=12");
    EXPECT_EQ(e.sizeIndex, 3);
    EXPECT_EQ(e.inputFolder, "/b");
    EXPECT_EQ(e.updateInterval, 12);
}

TEST(Configuration, NumbersAreReadLikePercentI)
{
    EXPECT_EQ(parse("[size]=0x3\n").sizeIndex, 3);
    EXPECT_EQ(parse("[size]=010\n").sizeIndex, 8);
    EXPECT_EQ(parse("[size]= +4xyz\n").sizeIndex, 4);
    EXPECT_EQ(parse("[size]=-2\n").sizeIndex, -2);
    EXPECT_EQ(parse("[update]=5\n[update]=x\n").updateInterval, 5); // not a number: kept
    // Too large for 32 bits: held at the end of the range, not wrapped.
    EXPECT_EQ(parse("[update]=4294967297\n").updateInterval, INT_MAX);
    EXPECT_EQ(parse("[size]=-99999999999\n").sizeIndex, INT_MIN);
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

TEST(Configuration, ReadsQuorvaCfgFromTheWorkingDirectoryAndTheExample)
{
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    quorva::Configuration c = quorva::readConfiguration();
    EXPECT_EQ(c.inputFolder, "");
    EXPECT_EQ(c.sizeIndex, 0);
    std::ofstream("Quorva.cfg") << "[path]=/data/lc\n[size]=4\n[update]=600\n";
    c = quorva::readConfiguration();
    EXPECT_EQ(c.inputFolder, "/data/lc");
    EXPECT_EQ(c.sizeIndex, 4);
    EXPECT_EQ(c.updateInterval, 600);
    QDir::setCurrent(previous);

    c = quorva::readConfiguration(std::string(QUORVA_SOURCE_DIR) + "/examples/Quorva.cfg");
    EXPECT_EQ(c.inputFolder, "examples");
    EXPECT_EQ(c.outputFolder, "out/");
    EXPECT_EQ(c.sizeIndex, 2);
    EXPECT_EQ(c.updateInterval, 10);
}

} // namespace
