#include "app/StatsJson.h"

#include "app/TextFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace quorva {
namespace {

template <typename T> struct Key {
    const char* name;
    T LightCurve::*member;
};

constexpr Key<float> kFloatKeys[] = {{"freq1", &LightCurve::freq1}, {"freq2", &LightCurve::freq2},
    {"freq3", &LightCurve::freq3}, {"last1", &LightCurve::last1}, {"last2", &LightCurve::last2},
    {"last3", &LightCurve::last3}, {"max1", &LightCurve::max1}, {"max2", &LightCurve::max2},
    {"max3", &LightCurve::max3}, {"min1", &LightCurve::min1}, {"min2", &LightCurve::min2}, {"min3", &LightCurve::min3},
    {"timeMax", &LightCurve::timeMax}, {"timeMin", &LightCurve::timeMin}, {"yBottom", &LightCurve::yBottom},
    {"yTop", &LightCurve::yTop}};
constexpr Key<std::int32_t> kCountKeys[] = {{"lineCount", &LightCurve::lineCount},
    {"sampleCount", &LightCurve::sampleCount}, {"samples", &LightCurve::timedSampleCount}};
constexpr Key<SampleArray> kArrayKeys[] = {{"times", &LightCurve::times}, {"values1", &LightCurve::values1},
    {"values2", &LightCurve::values2}, {"values3", &LightCurve::values3}};

// JSON has no infinities or NaN, so they are strings.
template <typename T> std::string shortest(T v)
{
    return shortestDecimal(v, "\"nan\"", "\"inf\"", "\"-inf\"");
}

std::string array(const SampleArray& a, std::int32_t count)
{
    if (count <= 0) return "[]";
    std::string json = "[";
    for (std::int32_t i = 0; i < count; ++i) {
        json += i == 0 ? "\n        " : ",\n        ";
        json += jsonNumber(a[static_cast<std::size_t>(i)]);
    }
    return json + "\n    ]";
}

} // namespace

std::string jsonNumber(float value)
{
    return shortest(value);
}

std::string jsonNumber(double value)
{
    return shortest(value);
}

std::string jsonString(std::string_view s)
{
    std::string json = "\"";
    for (std::size_t i = 0; i < s.size();) {
        std::uint32_t codePoint;
        const std::size_t n = utf8Sequence(s, i, codePoint);
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (n == 0) {
            json += "\\ufffd";
            ++i;
            continue;
        }
        if (c == '"' || c == '\\') {
            json += '\\';
            json += static_cast<char>(c);
        } else if (c < 0x20) {
            static const char kHex[] = "0123456789abcdef";
            json += "\\u00";
            json += kHex[c >> 4];
            json += kHex[c & 15];
        } else {
            json.append(s.substr(i, n));
        }
        i += n;
    }
    return json + '"';
}

std::vector<JsonMember> statsMembers(const LightCurve& lc, bool samples, const TimeWindow& window)
{
    std::vector<JsonMember> members;
    for (const auto& k : kFloatKeys) members.push_back({k.name, jsonNumber(lc.*k.member)});
    for (const auto& k : kCountKeys) members.push_back({k.name, std::to_string(lc.*k.member)});
    members.push_back({"inputPath", jsonString(lc.inputPath)});
    if (samples)
        for (const auto& k : kArrayKeys) members.push_back({k.name, array(lc.*k.member, lc.sampleCount)});
    if (window.asked()) {
        members.push_back({"windowFrom", window.from ? jsonNumber(*window.from) : "null"});
        members.push_back({"windowTo", window.to ? jsonNumber(*window.to) : "null"});
    }
    return members;
}

std::string jsonObject(std::vector<JsonMember> members)
{
    std::stable_sort(
        members.begin(), members.end(), [](const JsonMember& a, const JsonMember& b) { return a.name < b.name; });
    std::string json = "{";
    for (const JsonMember& m : members) {
        json += &m == &members.front() ? "\n    \"" : ",\n    \"";
        json += m.name;
        json += "\": ";
        json += m.value;
    }
    return json + "\n}\n";
}

} // namespace quorva
