#pragma once
// The JSON of the statistics: what `quorva stats --json` prints and what
// the station page of `quorva watch --page` publishes as stats.json. One
// object, keys in alphabetical order, four blanks of indentation; every
// number in the shortest form that reads back to the same 32-bit float.

#include "app/TimeWindow.h"
#include "lightcurve/LightCurve.h"

#include <string>
#include <string_view>
#include <vector>

namespace quorva {

// One key of the object with its value already written as JSON.
struct JsonMember {
    std::string name;
    std::string value;
};

// The reader's values of `lightCurve`; with `samples` also the arrays
// times, values1, values2 and values3 (the first sampleCount entries);
// with a window asked, windowFrom and windowTo (hours UT, null for an
// open end).
std::vector<JsonMember> statsMembers(const LightCurve& lightCurve, bool samples, const TimeWindow& window);

// The object of `members`, sorted by name, with a line feed at the end.
std::string jsonObject(std::vector<JsonMember> members);

inline std::string statsJson(const LightCurve& lightCurve, bool samples, const TimeWindow& window)
{
    return jsonObject(statsMembers(lightCurve, samples, window));
}

// JSON values. A float in its shortest form; JSON has no infinities or
// NaN, so they are the strings "inf", "-inf", "nan".
std::string jsonNumber(float value);
// The shortest form of a double (finite values only; others as above).
std::string jsonNumber(double value);
// A string; bytes that are not UTF-8 become U+FFFD.
std::string jsonString(std::string_view text);

} // namespace quorva
