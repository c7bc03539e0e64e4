#include "cli/Cli.h"
#include "lightcurve/FileNames.h"
#include "lightcurve/LightCurve.h"
#include "support/AppProcess.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

using apptest::quorva;

class CliTest : public ::testing::Test {
protected:
    QString write(const std::string& name, const std::string& content)
    {
        const std::string path = dir.path().toStdString() + "/" + name;
        std::ofstream(path, std::ios::binary) << content;
        return QString::fromStdString(path);
    }
    QTemporaryDir dir;
};

const char kFile[] = "Tervasol test\r\n"
                     "Time_UT,45.0MHz,150.5MHz,410.0MHz\r\n"
                     "7.25,5,1234.5,-3\r\n"
                     "\r\n"
                     "7.5,12.345,-1200,0.1\r\n"
                     "8.0,1e-7,3.4028235e38,7";

TEST_F(CliTest, StatsPrintsTheStatisticsWindowTexts)
{
    const QString path = write("LC20261206_SFU.txt", kFile);
    const apptest::ProcessRun r = quorva({"stats", path});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.toStdString(),
              "File: LC20261206_SFU.txt\n"
              "Freq1:  45.00 MHz\n"
              "Last1:   0.00 SFU\n"
              "Min1: -1200.00 SFU\n"
              "Max1: 340282346638528859811704183484516925440.00 SFU\n"
              "Freq2: 150.50 MHz\n"
              "Last2: 340282346638528859811704183484516925440.00 SFU\n"
              "Min2: -1200.00 SFU\n"
              "Max2: 340282346638528859811704183484516925440.00 SFU\n"
              "Freq3: 410.00 MHz\n"
              "Last3:   7.00 SFU\n"
              "Min3:  -3.00 SFU\n"
              "Max3:   7.00 SFU\n"
              "Time min:   7.25 UT\n"
              "Time max:   8.00 UT\n"
              "Data Points: 6\n");

    // The unit follows the file name; --unit overrides it.
    const QString other = write("burst.csv", kFile);
    EXPECT_TRUE(quorva({"stats", other}).out.contains("Last3:   7.00 ADU\n"));
    EXPECT_TRUE(quorva({"stats", "--unit", "sfu", other}).out.contains("Last3:   7.00 SFU\n"));
    EXPECT_TRUE(quorva({"stats", "--unit=ADU", path}).out.contains("Last3:   7.00 ADU\n"));
}

TEST_F(CliTest, JsonNumbersReadBackToTheSameFloats)
{
    const QString path = write("LC_json_SFU.txt", std::string(kFile) + "\n9.0,nan,-inf,inf\n10,0.30000001192092896,1.17549435e-38,1.4e-45\n");
    quorva::LightCurve lc;
    ASSERT_TRUE(lc.read(path.toStdString()).opened);

    const apptest::ProcessRun r = quorva({"stats", "--json", "--samples", path});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(r.out.toUtf8(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << r.out.toStdString();
    const QJsonObject o = doc.object();

    auto same = [](const QJsonValue& v, float expected) {
        if (std::isnan(expected))
            return v.toString() == QLatin1String("nan");
        if (std::isinf(expected))
            return v.toString() == QLatin1String(expected > 0 ? "inf" : "-inf");
        if (!v.isDouble())
            return false;
        return std::bit_cast<std::uint32_t>(static_cast<float>(v.toDouble()))
               == std::bit_cast<std::uint32_t>(expected);
    };
    EXPECT_EQ(o.value("inputPath").toString(), path);
    EXPECT_EQ(o.value("lineCount").toInt(), lc.lineCount);
    EXPECT_EQ(o.value("sampleCount").toInt(), 8);
    const std::pair<const char*, float> fields[] = {
        {"freq1", lc.freq1},     {"freq2", lc.freq2},     {"freq3", lc.freq3}, {"timeMin", lc.timeMin},
        {"timeMax", lc.timeMax}, {"min1", lc.min1},       {"min2", lc.min2},   {"min3", lc.min3},
        {"max1", lc.max1},       {"max2", lc.max2},       {"max3", lc.max3},   {"last1", lc.last1},
        {"last2", lc.last2},     {"last3", lc.last3},     {"yTop", lc.yTop},   {"yBottom", lc.yBottom},
    };
    for (const auto& [key, value] : fields)
        EXPECT_TRUE(same(o.value(key), value)) << key << " = " << value;
    EXPECT_EQ(o.value("max1").toString(), "inf");
    EXPECT_EQ(o.value("min2").toString(), "-inf");
    EXPECT_EQ(o.value("yBottom").toString(), "-inf");

    const char* arrays[] = {"times", "values1", "values2", "values3"};
    const quorva::SampleArray* sources[] = {&lc.times, &lc.values1, &lc.values2, &lc.values3};
    for (int a = 0; a < 4; ++a) {
        const QJsonArray values = o.value(arrays[a]).toArray();
        ASSERT_EQ(values.size(), 8) << arrays[a];
        for (int i = 0; i < 8; ++i) {
            const float expected = (*sources[a])[static_cast<std::size_t>(i)];
            EXPECT_TRUE(same(values.at(i), expected)) << arrays[a] << "[" << i << "] = " << expected;
        }
    }
    EXPECT_EQ(o.value("values1").toArray().at(6).toString(), "nan");

    // Without --samples the arrays are left out.
    const apptest::ProcessRun plain = quorva({"stats", "--json", path});
    const QJsonObject p = QJsonDocument::fromJson(plain.out.toUtf8()).object();
    EXPECT_EQ(p.size(), 19);
    EXPECT_FALSE(p.contains("times"));
}

TEST_F(CliTest, FailuresAndUsage)
{
    const QString missing = dir.path() + "/LC_missing_SFU.txt";
    apptest::ProcessRun r = quorva({"stats", missing});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "quorva: cannot open " + missing + ": No such file or directory\n");
    r = quorva({"stats", "--json", dir.path()});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "quorva: cannot open " + dir.path() + ": Is a directory\n");

    // An empty file opens: no samples, the start values.
    r = quorva({"stats", write("LC_empty_SFU.txt", "")});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.contains("Min1: 1000.00 SFU\nMax1: -1000.00 SFU\n")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("Time min:  24.00 UT\nTime max:   0.00 UT\nData Points: 0\n"));

    const QString file = write("LC_ok_SFU.txt", kFile);
    const QStringList bad[] = {{"stats"}, {"stats", file, file}, {"stats", "--unit", "XYZ", file},
                               {"stats", "--samples", file}, {"nosuchcommand"}};
    for (const QStringList& args : bad) {
        r = quorva(args);
        EXPECT_EQ(r.status, 64) << args.join(' ').toStdString();
        EXPECT_EQ(r.out, "") << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains("for more information.")) << args.join(' ').toStdString();
    }
    r = quorva({"stats", "--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.contains("Usage: quorva stats [--unit SFU|ADU] [--json [--samples]] FILE"));
    r = quorva({"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "quorva 1.2.0\n");
}

TEST_F(CliTest, FileNamesAreUsedAsTheirBytesAndTheExamplesRead)
{
    // A name that is not valid UTF-8 reaches the file system unchanged.
    const std::string name = dir.path().toStdString() + "/LC_\xff\xfe_SFU.txt";
    std::ofstream(name, std::ios::binary) << kFile;
    std::ostringstream out, err;
    quorva::cli::CommandIo io{out, err};
    EXPECT_EQ(quorva::cli::runCommandLine({"quorva", "stats", name}, io), 0) << err.str();
    EXPECT_NE(out.str().find("File: LC_\xff\xfe_SFU.txt\n"), std::string::npos);
    EXPECT_NE(out.str().find("Data Points: 6\n"), std::string::npos);
    std::remove(name.c_str()); // QTemporaryDir cannot name it

    EXPECT_EQ(quorva::cli::runCommandLine({"quorva"}, io), quorva::cli::kRunDesktop);
    EXPECT_EQ(quorva::unitFromFileName("/x/lc20261206_sfu.TXT"), "SFU");
    EXPECT_EQ(quorva::unitFromFileName("/SFU/LC20261206_ADU.txt"), "ADU");
    EXPECT_EQ(quorva::unitFromFileName("/x/data_SFU.txt"), "SFU");

    for (const char* example : {"LC20261206_SFU.txt", "LC20261206_ADU.txt", "LC20261207_ADU.txt"}) {
        const apptest::ProcessRun r = quorva({"stats", QStringLiteral(QUORVA_SOURCE_DIR "/examples/") + example});
        EXPECT_EQ(r.status, 0) << example << r.err.toStdString();
        EXPECT_TRUE(r.out.contains("Freq2: 150.50 MHz\n")) << example;
        EXPECT_FALSE(r.out.contains("Data Points: 0\n")) << example;
    }
}

} // namespace
