#include "app/Configuration.h"

#include "lightcurve/Ascii.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace quorva {
namespace {

constexpr std::size_t kLineBuffer = 240;

bool isSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// "KEY%s": the value is the run after the key and any white space; none
// leaves the setting as it was.
void parseText(const char* line, const char* key, std::string& value)
{
    const std::size_t keyLength = std::strlen(key);
    if (std::strncmp(line, key, keyLength) != 0) return;
    const char* p = line + keyLength;
    while (*p && isSpace(*p)) ++p;
    const char* start = p;
    while (*p && !isSpace(*p)) ++p;
    if (p != start) value.assign(start, p);
}

// "KEY%i". A number beyond 32 bits is held at the nearer end of the range
// rather than wrapping round into an unrelated value.
void parseNumber(const char* line, const char* key, std::optional<std::int32_t>& value)
{
    const std::size_t keyLength = std::strlen(key);
    if (std::strncmp(line, key, keyLength) != 0) return;
    const char* text = line + keyLength;
    char* stop = nullptr;
    errno = 0;
    const long long n = std::strtoll(text, &stop, 0);
    if (stop == text) return;
    value = static_cast<std::int32_t>(std::clamp<long long>(n, INT32_MIN, INT32_MAX));
}

// "KEY%i" into a setting that has a start value: no number keeps it.
void parseNumber(const char* line, const char* key, std::int32_t& value)
{
    std::optional<std::int32_t> number;
    parseNumber(line, key, number);
    if (number) value = *number;
}

// The keys (lower case) and the setting each line sets.
struct Key {
    const char* text;
    void (*set)(const char* line, const char* key, Configuration& config);
};

constexpr Key kKeys[] = {
    {"[path]=", [](const char* line, const char* key, Configuration& c) { parseText(line, key, c.inputFolder); }},
    {"[output]=", [](const char* line, const char* key, Configuration& c) { parseText(line, key, c.outputFolder); }},
    {"[size]=", [](const char* line, const char* key, Configuration& c) { parseNumber(line, key, c.sizeIndex); }},
    {"[update]=",
        [](const char* line, const char* key, Configuration& c) { parseNumber(line, key, c.updateInterval); }},
    {"[axes]=", [](const char* line, const char* key, Configuration& c) { parseText(line, key, c.axes); }},
    {"[log]=", [](const char* line, const char* key, Configuration& c) { parseNumber(line, key, c.logarithmic); }},
};

} // namespace

Configuration readConfiguration(std::istream& in)
{
    Configuration config;
    char line[kLineBuffer];
    char lower[kLineBuffer];
    while (in.good()) {
        line[0] = '\0';
        in.getline(line, kLineBuffer); // a line of 240 or more sets the failed state
        if (line[0] != '[') continue;
        std::size_t i = 0;
        for (; line[i]; ++i) lower[i] = lowerAscii(line[i]);
        lower[i] = '\0';
        for (const Key& key : kKeys)
            if (std::strstr(lower, key.text)) key.set(line, key.text, config);
    }
    std::replace(config.inputFolder.begin(), config.inputFolder.end(), '|', ' ');
    std::replace(config.outputFolder.begin(), config.outputFolder.end(), '|', ' ');
    return config;
}

Configuration readConfiguration(const std::string& path)
{
    std::ifstream in(path);
    if (!in.is_open()) return Configuration {};
    return readConfiguration(in);
}

Configuration readConfiguration()
{
    return readConfiguration(std::string(kConfigurationFileName));
}

} // namespace quorva
