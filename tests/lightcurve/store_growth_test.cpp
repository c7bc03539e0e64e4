// Growing the four sample arrays for a long file: all of them or none, also
// when an allocation fails half-way.
#include "lightcurve/LightCurve.h"
#include "support/Support.h"

#include <cerrno>

using namespace quorva;

TEST(StoreGrowth, AFailedAllocationLeavesFourArraysOfOneSize)
{
    qtest::TempDir dir;
    const int lines = int(LightCurve::kMinimumCapacity) + 500;
    std::string text = "Tervasol\nTime_UT,45.0MHz,150.5MHz,410.0MHz\n";
    for (int i = 2; i < lines; ++i)
        text += std::to_string(i) + ",1," + std::to_string(i % 7) + "," + std::to_string(i) + "\n";
    ASSERT_TRUE(qtest::writeFile(dir / "lc.txt", text));
    for (int failing = 1; failing <= 4; ++failing) {
        LightCurve lc;
        failArrayGrowthAllocationForTests(failing);
        const ReadResult r = lc.read(dir / "lc.txt");
        failArrayGrowthAllocationForTests(0);
        EXPECT_EQ(r.readError, ENOMEM) << failing;
        for (const SampleArray* a : {&lc.values1, &lc.values2, &lc.values3})
            EXPECT_EQ(a->size(), lc.times.size()) << failing;
        ASSERT_GT(lc.sampleCount, 2) << failing;
        EXPECT_LE(std::size_t(lc.sampleCount), lc.times.size()) << failing;
        const std::size_t last = std::size_t(lc.sampleCount) - 1;
        EXPECT_TRUE(lc.last3 == float(last) && lc.times[last] == float(last)) << failing;
        // The next read, with memory, takes the whole file.
        EXPECT_EQ(lc.read(dir / "lc.txt").readError, 0);
        EXPECT_TRUE(lc.sampleCount == lines && lc.values3.size() == lc.times.size() && lc.last3 == float(lines - 1));
    }
}
