// Peak memory of the program on a full day of samples (345,600 lines):
// `quorva plot` stays under 80 MB on every format, and `quorva watch` does
// not grow with the number of plots it makes. (Left out of the sanitizer
// run: it would measure the sanitizer.)

#include "support/Support.h"

namespace {

using namespace qtest;

// The peak resident set in kB as /usr/bin/time reports it (a child forked
// from a large process would count that process's pages up to its exec).
std::pair<int, long> peakOf(const TempDir& dir, std::vector<std::string> args)
{
    args.insert(args.begin(), {"/usr/bin/time", "-f", "%M", "-o", dir / "peak", QUORVA_BINARY});
    const int status = run(args).status;
    const std::string report = readFile(dir / "peak"); // the number is the last line
    return {status, std::atol(report.c_str() + report.find_last_of('\n', report.size() - 2) + 1)};
}

TEST(Memory, PlotOfAFullDayStaysUnder80MegabytesOnEveryFormat)
{
    TempDir dir;
    ASSERT_TRUE(writeFile(dir / "LC20261206_SFU.txt", lightCurveText(345600)));
    for (const char* format : {"pdf", "eps", "png"}) {
        const auto [status, kb]
            = peakOf(dir, {"plot", "--format", format, "--output", dir.path(), dir / "LC20261206_SFU.txt"});
        EXPECT_EQ(status, 0) << format;
        EXPECT_TRUE(kb > 0 && kb < 80 * 1024) << format << ": " << kb << " kB";
        RecordProperty(std::string("peak_kb_") + format, std::to_string(kb));
    }
}

TEST(Memory, WatchDoesNotGrowWithThePlotsItMakes)
{
    TempDir dir;
    ASSERT_TRUE(writeFile(dir / "LC20261206_SFU.txt", lightCurveText(40000)));
    auto watch = [&](int count) {
        return peakOf(dir,
            {"watch", "--always", "--interval", "0.05", "--count", std::to_string(count), "--output", dir.path(),
                dir / "LC20261206_SFU.txt"});
    };
    const auto few = watch(3), many = watch(60);
    ASSERT_EQ(few.first + many.first, 0);
    EXPECT_LT(many.second - few.second, 1024) << few.second << " kB after 3 plots, " << many.second << " kB after 60";
}

} // namespace
