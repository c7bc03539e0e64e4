// Keyword matching: the engine's 4-character matcher on arbitrary tables
// and keywords, and the operations that take keywords (metafl, filmod,
// winmod, errmod, axsscl, labels, labdig, name, titlin) on arbitrary text.

#include "FuzzSupport.h"

#include "engine/core/Engine.h"
#include "engine/core/EngineInternal.h"
#include "engine/core/EngineState.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Device {
    const char* key;
    int code;
};
// Device keywords and their codes as the output cycle documents them.
constexpr Device kDevices[] = {
    {"GKSL", 201}, {"CGM ", 211}, {"KYOC", 301}, {"HPGL", 401}, {"HPA4", 402}, {"HPA3", 403}, {"HPA2", 404},
    {"HPA1", 405}, {"CONS", 80},  {"TEKT", 151}, {"VT34", 103}, {"LN03", 161}, {"POST", 501}, {"PSCL", 502},
    {"XWIN", 72},  {"XWI1", 72},  {"XWI2", 73},  {"XWI3", 74},  {"XWI4", 75},  {"XWI5", 76},  {"XWI6", 77},
    {"XWI7", 78},  {"XWI8", 79},  {"XWND", 80},  {"TIFF", 601}, {"IMAG", 602}, {"VIRT", 603}, {"PNG ", 604},
    {"JAVA", 701}, {"WMF ", 221}, {"PPM ", 605}, {"PDF ", 511}, {"EPS ", 503}, {"BMP ", 606}, {"PS  ", 504},
    {"SVG ", 801}, {"GIF ", 607},
};

// The keyword as metafl compares it: first four characters, upper case,
// padded with blanks.
std::string paddedKey(const std::string& keyword)
{
    std::string k = "    ";
    for (std::size_t i = 0; i < 4 && i < keyword.size(); ++i) {
        const char c = keyword[i];
        k[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
    }
    return k;
}

std::string swappedCase(std::string s)
{
    for (char& c : s) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    }
    return s;
}

void checkMatcher(const std::string& table, int fields, const std::string& keyword)
{
    const int n = zedozo::findKeyword(table, fields, keyword);
    fuzz::check(n >= 0 && n <= (fields > 0 ? fields : 0), "field number within the table");
    fuzz::check(zedozo::findKeyword(table, fields, swappedCase(keyword)) == n, "matching ignores case");
    fuzz::check(zedozo::findKeyword(table, fields, keyword.substr(0, 4)) == n, "only four characters count");
    fuzz::check(zedozo::matchKeyword(table, fields, keyword) == n, "matchKeyword agrees with findKeyword");
    if (n > 0) {
        // Every character of the chosen field up to its blank padding is the
        // keyword's, without regard to case.
        const std::string field = table.substr(static_cast<std::size_t>(n - 1) * 5, 4);
        const std::string key = paddedKey(keyword);
        for (std::size_t i = 0; i < field.size() && field[i] != ' '; ++i)
            fuzz::check(paddedKey(field)[i] == key[i], "the chosen field matches the keyword");
    }
}

void checkMetafl(const std::string& keyword)
{
    zedozo::EngineState& st = zedozo::engineState();
    const int before = st.cycle.devcode;
    zedozo::metafl(keyword);
    const std::string key = paddedKey(keyword);
    if (key >= "MET1" && key <= "MET9") {
        fuzz::check(st.cycle.devcode == 80, "MET1..MET9 select code 80");
        return;
    }
    for (const Device& d : kDevices) {
        if (key == d.key) {
            if (st.cycle.devcode != d.code)
                fuzz::fail("metafl '" + key + "' gave " + std::to_string(st.cycle.devcode) + ", not "
                           + std::to_string(d.code));
            fuzz::check(std::strlen(st.cycle.devname) <= 4, "devname holds at most 4 characters");
            return;
        }
    }
    bool known = false;
    for (const Device& d : kDevices)
        known = known || st.cycle.devcode == d.code;
    fuzz::check(known || st.cycle.devcode == before, "an unknown keyword leaves the device");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::silenceStandardOutput();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Byte 0: field count; then table, keyword and a second argument,
    // separated by the byte 0x01.
    if (size == 0)
        return 0;
    const int fields = static_cast<int>(data[0] % 43) - 2;
    std::string parts[3];
    int part = 0;
    for (std::size_t i = 1; i < size; ++i) {
        if (data[i] == 0x01 && part < 2)
            ++part;
        else
            parts[part] += static_cast<char>(data[i]);
    }
    const std::string& table = parts[0];
    const std::string& keyword = parts[1];
    const std::string& other = parts[2];

    checkMatcher(table, fields, keyword);
    checkMetafl(keyword);

    zedozo::filmod(keyword);
    zedozo::winmod(keyword);
    zedozo::errmod(keyword, other);
    zedozo::errmod(other, keyword);
    zedozo::axsscl(keyword, other);
    zedozo::labels(keyword, other);
    zedozo::labdig(static_cast<int>(keyword.size()) - 2, other);
    zedozo::name(keyword, other);
    zedozo::titlin(keyword, static_cast<int>(other.size() % 7) - 1);
    zedozo::errmod("ALL", "ON");
    return 0;
}
