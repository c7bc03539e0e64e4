#include "lightcurve/DecimalFloat.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// Compares the parser with the C library on one text: same stopping point,
// and bit for bit the same float.
void expectLikeStrtof(const std::string& text)
{
    char* stop = nullptr;
    const float expected = std::strtof(text.c_str(), &stop);
    const std::size_t expectedUsed = static_cast<std::size_t>(stop - text.c_str());

    float got = -12345.0f;
    const char* next = quorva::parseFloat(text.data(), text.data() + text.size(), got);
    const std::size_t used = static_cast<std::size_t>(next - text.data());
    ASSERT_EQ(used, expectedUsed) << "text \"" << text << "\"";
    if (used == 0) {
        EXPECT_EQ(got, -12345.0f) << "text \"" << text << "\" must leave the value alone";
    } else {
        EXPECT_EQ(std::bit_cast<std::uint32_t>(got), std::bit_cast<std::uint32_t>(expected))
            << "text \"" << text << "\": " << got << " vs " << expected;
    }
}

TEST(DecimalFloat, EdgeTextsMatchTheCLibrary)
{
    const std::vector<std::string> texts = {
        "", " ", "+", "-", ".", "-.", "e5", ".e5", "0", "-0", "+0", "0.", ".0", "00012.5000",
        "1e", "1e+", "1e-", "1E5", "1e-5x", "  \t\n\v\f\r42", "1.5,2", "12.5MHz", "45.0 MHz",
        "3.4028234e38", "3.4028235e38", "3.4028236e38", "1e39", "-1e39", "1.17549435e-38",
        "1e-38", "1.4e-45", "7e-46", "1e-50", "0.000000000000000000000000000000001",
        "16777216", "16777217", "16777218", "16777219", "33554431", "33554433",
        "0.1", "0.2", "0.3", "123.456", "-987.654321", "9999999999999999999", "99999999999999999999",
        "1234567890123456789012345678901234567890", "0.30000001192092896", "0.300000011920928955078125",
        "4.35000003e2", "1.00000005960464477539062499", "1.0000000596046447753906250",
        "1.00000005960464477539062501", "2.000000238418579101562500", "8388609.5", "8388610.5",
        "inf", "-inf", "INF", "infinity", "-Infinity", "infinit", "nan", "-nan", "NAN", "nan(123)",
        "nan(", "0x1p3", "0X1.8p1", "0x", "0xg", "-0x10", "1e100000000000", "1e-100000000000",
        "000000000000000000000000000001", "0.0000000000000000000000001e25", "1\x00" "5",
        "5\r", "10.25,", "-.5e1,3",
    };
    for (const std::string& t : texts)
        expectLikeStrtof(t);
    expectLikeStrtof(std::string("1\0" "5", 3));
}

TEST(DecimalFloat, RandomDecimalTextsMatchTheCLibrary)
{
    std::mt19937_64 random(20261206);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<std::uint64_t>(n)); };
    const char* const tails[] = {"", ",", " ", "MHz", "e", "e+", "x", "\r\n", ".", "E-"};
    for (int i = 0; i < 400000; ++i) {
        std::string s;
        if (pick(8) == 0)
            s += std::string(static_cast<std::size_t>(pick(3)), ' ');
        const int sign = pick(3);
        if (sign == 1) s += '-';
        if (sign == 2) s += '+';
        const int intDigits = pick(4) == 0 ? pick(25) : pick(6);
        for (int d = 0; d < intDigits; ++d)
            s += static_cast<char>('0' + pick(10));
        if (pick(3) != 0) {
            s += '.';
            const int fracDigits = pick(4) == 0 ? pick(30) : pick(8);
            for (int d = 0; d < fracDigits; ++d)
                s += static_cast<char>('0' + pick(10));
        }
        if (pick(4) == 0) {
            s += pick(2) ? 'e' : 'E';
            const int es = pick(3);
            if (es == 1) s += '-';
            if (es == 2) s += '+';
            s += std::to_string(pick(5) == 0 ? pick(60) : pick(25));
        }
        s += tails[pick(10)];
        expectLikeStrtof(s);
        if (::testing::Test::HasFailure())
            return;
    }
}

TEST(DecimalFloat, EveryFloatPrintedAndNearbyTextsRoundTrip)
{
    // Shortest and long decimal forms of random floats, and texts near the
    // halfway points between neighbouring floats, where rounding twice
    // would go wrong.
    std::mt19937 random(7);
    char text[64];
    char exact[128];
    for (int i = 0; i < 200000; ++i) {
        std::uint32_t bits = static_cast<std::uint32_t>(random());
        float f = std::bit_cast<float>(bits);
        if (!std::isfinite(f))
            continue;
        std::snprintf(text, sizeof text, "%.9g", static_cast<double>(f));
        expectLikeStrtof(text);
        const double halfway = (static_cast<double>(f) + static_cast<double>(std::nextafter(f, INFINITY))) / 2;
        std::snprintf(text, sizeof text, "%.17g", halfway);
        expectLikeStrtof(text);
        std::snprintf(exact, sizeof exact, "%.80g", halfway);
        expectLikeStrtof(exact);
        std::snprintf(text, sizeof text, "%.6f", static_cast<double>(f));
        expectLikeStrtof(text);
        if (::testing::Test::HasFailure())
            return;
    }
}

TEST(DecimalFloat, NeverReadsPastTheGivenEnd)
{
    const char text[] = "12.75e3";
    float v = 0;
    EXPECT_EQ(quorva::parseFloat(text, text + 4, v), text + 4);
    EXPECT_EQ(v, 12.7f);
    EXPECT_EQ(quorva::parseFloat(text, text + 6, v), text + 5); // "12.75e" stops before 'e'
    EXPECT_EQ(v, 12.75f);
    const char inf[] = "infinity";
    EXPECT_EQ(quorva::parseFloat(inf, inf + 5, v), inf + 3);
    EXPECT_TRUE(std::isinf(v));
}

} // namespace
