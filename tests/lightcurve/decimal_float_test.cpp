#include "lightcurve/DecimalFloat.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>

namespace {

// Same stopping point as strtof, and bit for bit the same float; a text
// that does not parse leaves the value alone.
void expectLikeStrtof(const std::string& text)
{
    char* stop = nullptr;
    const float expected = std::strtof(text.c_str(), &stop);
    float got = -12345.0f;
    const char* next = quorva::parseFloat(text.data(), text.data() + text.size(), got);
    ASSERT_EQ(next - text.data(), stop - text.c_str()) << "text \"" << text << "\"";
    EXPECT_EQ(
        std::bit_cast<std::uint32_t>(got), std::bit_cast<std::uint32_t>(next == text.data() ? -12345.0f : expected))
        << "text \"" << text << "\"";
}

TEST(DecimalFloat, EdgeTextsMatchTheCLibrary)
{
    for (const char* t : {"", "+", "-.", ".e5", "-0", "0.", "1e+", "1e-5x", "  \t\n\v\f\r42", "12.5MHz", "45.0 MHz",
             "3.4028235e38", "3.4028236e38", "-1e39", "1.17549435e-38", "1.4e-45", "7e-46", "16777217", "33554433",
             "0.1", "99999999999999999999", "1234567890123456789012345678901234567890", "1.00000005960464477539062499",
             "1.0000000596046447753906250", "1.00000005960464477539062501", "8388610.5", "inf", "-Infinity", "infinit",
             "nan", "nan(123)", "0x1p3", "0x", "1e100000000000", "1e-100000000000", "0.0000000000000000000000001e25",
             "5\r", "-.5e1,3"})
        expectLikeStrtof(t);
    expectLikeStrtof(std::string {'1', '\0', '5'});
}

TEST(DecimalFloat, RandomTextsAndFloatsMatchTheCLibrary)
{
    // Random decimal texts with signs, long mantissas, exponents and tails.
    std::mt19937_64 random(20261206);
    auto pick = [&](int n) { return int(random() % std::uint64_t(n)); };
    const char* const signs[] = {"", "-", "+"};
    const char* const tails[] = {"", ",", " ", "MHz", "e", "e+", "x", "\r\n", ".", "E-"};
    for (int i = 0; i < 400000 && !::testing::Test::HasFailure(); ++i) {
        std::string s = std::string(pick(8) == 0 ? std::size_t(pick(3)) : 0u, ' ') + signs[pick(3)];
        for (int d = pick(4) == 0 ? pick(25) : pick(6); d > 0; --d) s += char('0' + pick(10));
        if (pick(3) != 0) {
            s += '.';
            for (int d = pick(4) == 0 ? pick(30) : pick(8); d > 0; --d) s += char('0' + pick(10));
        }
        if (pick(4) == 0)
            s += std::string(pick(2) ? "e" : "E") + signs[pick(3)] + std::to_string(pick(5) == 0 ? pick(60) : pick(25));
        expectLikeStrtof(s + tails[pick(10)]);
    }

    // Every float printed short and long, and texts at the halfway points
    // between neighbouring floats, where rounding twice would go wrong.
    std::mt19937 bits(7);
    char text[128];
    for (int i = 0; i < 200000 && !::testing::Test::HasFailure(); ++i) {
        const float f = std::bit_cast<float>(std::uint32_t(bits()));
        if (!std::isfinite(f)) continue;
        const double halfway = (double(f) + double(std::nextafter(f, INFINITY))) / 2;
        for (auto [format, value] : {std::pair {"%.9g", double(f)}, {"%.17g", halfway}, {"%.80g", halfway}}) {
            std::snprintf(text, sizeof text, format, value);
            expectLikeStrtof(text);
        }
    }
}

TEST(DecimalFloat, NeverReadsPastTheGivenEnd)
{
    const char text[] = "12.75e3";
    float v = 0;
    EXPECT_TRUE(quorva::parseFloat(text, text + 4, v) == text + 4 && v == 12.7f);
    EXPECT_TRUE(quorva::parseFloat(text, text + 6, v) == text + 5 && v == 12.75f); // "12.75e" stops before 'e'
    const char inf[] = "infinity";
    EXPECT_TRUE(quorva::parseFloat(inf, inf + 5, v) == inf + 3 && std::isinf(v));
}

} // namespace
