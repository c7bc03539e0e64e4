// Growing the four sample arrays for a long file: all of them or none, also
// when an allocation fails half-way.
#include "lightcurve/LightCurve.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <string>

#include <unistd.h>

using namespace quorva;

TEST(StoreGrowth, AFailedAllocationLeavesFourArraysOfOneSize)
{
    char name[] = "/tmp/quorva-growth-XXXXXX";
    const int fd = ::mkstemp(name);
    ASSERT_GE(fd, 0);
    ::close(fd);
    const int lines = int(LightCurve::kMinimumCapacity) + 500;
    {
        std::ofstream out(name);
        out << "Tervasol\nTime_UT,45.0MHz,150.5MHz,410.0MHz\n";
        for (int i = 2; i < lines; ++i) out << i << ",1," << i % 7 << "," << i << "\n";
    }
    for (int failing = 1; failing <= 4; ++failing) {
        LightCurve lc;
        failArrayGrowthAllocationForTests(failing);
        const ReadResult r = lc.read(name);
        failArrayGrowthAllocationForTests(0);
        EXPECT_EQ(r.readError, ENOMEM) << failing;
        for (const SampleArray* a : {&lc.values1, &lc.values2, &lc.values3})
            EXPECT_EQ(a->size(), lc.times.size()) << failing;
        ASSERT_GT(lc.sampleCount, 2) << failing;
        EXPECT_LE(std::size_t(lc.sampleCount), lc.times.size()) << failing;
        const std::size_t last = std::size_t(lc.sampleCount) - 1;
        EXPECT_EQ(lc.last3, float(last)) << failing;
        EXPECT_EQ(lc.times[last], float(last)) << failing;

        // The next read, with memory, takes the whole file.
        EXPECT_EQ(lc.read(name).readError, 0);
        EXPECT_EQ(lc.sampleCount, lines);
        EXPECT_EQ(lc.values3.size(), lc.times.size());
        EXPECT_EQ(lc.last3, float(lines - 1));
    }
    std::remove(name);
}
