// Keyword matching: the engine's 4-character matcher on arbitrary tables
// and keywords, and the operations that take keywords (metafl, filmod,
// winmod, errmod, axsscl, labels, labdig, ticks, loggap, name, titlin) on
// arbitrary text.

#include "FuzzSupport.h"

#include "engine/Engine.h"
#include "engine/TestSeams.h"

#include <cstring>
#include <string>

namespace {

// The keyword as the matcher compares it: first four characters, upper
// case, padded with blanks.
std::string paddedKey(const std::string& keyword)
{
    std::string k = "    ";
    for (std::size_t i = 0; i < 4 && i < keyword.size(); ++i)
        k[i] = keyword[i] >= 'a' && keyword[i] <= 'z' ? char(keyword[i] - 32) : keyword[i];
    return k;
}

void checkMatcher(const std::string& table, int fields, const std::string& keyword)
{
    std::string swapped = keyword;
    for (char& c : swapped) c = c >= 'a' && c <= 'z' ? char(c - 32) : c >= 'A' && c <= 'Z' ? char(c + 32) : c;
    const int n = zedozo::findKeyword(table, fields, keyword);
    fuzz::check(n >= 0 && n <= (fields > 0 ? fields : 0), "field number within the table");
    fuzz::check(zedozo::findKeyword(table, fields, swapped) == n, "matching ignores case");
    fuzz::check(zedozo::findKeyword(table, fields, keyword.substr(0, 4)) == n, "only four characters count");
    fuzz::check(zedozo::matchKeyword(table, fields, keyword) == n, "matchKeyword agrees with findKeyword");
    // Every character of the chosen field up to its blank padding is the
    // keyword's, without regard to case.
    const std::string field = n > 0 ? paddedKey(table.substr(std::size_t(n - 1) * 5, 4)) : "";
    for (std::size_t i = 0; i < field.size() && field[i] != ' '; ++i)
        fuzz::check(field[i] == paddedKey(keyword)[i], "the chosen field matches the keyword");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Byte 0: field count; then table, keyword and a second argument,
    // separated by the byte 0x01.
    if (size == 0) return 0;
    std::string parts[3];
    for (std::size_t i = 1, part = 0; i < size; ++i) {
        if (data[i] == 0x01 && part < 2)
            ++part;
        else
            parts[part] += char(data[i]);
    }
    const std::string &keyword = parts[1], &other = parts[2];
    checkMatcher(parts[0], int(data[0] % 43) - 2, keyword);

    zedozo::metafl(keyword);
    fuzz::check(std::strlen(zedozo::engineState().cycle.devname) <= 4, "devname holds at most 4 characters");

    zedozo::filmod(keyword);
    zedozo::winmod(keyword);
    zedozo::errmod(keyword, other);
    zedozo::errmod(other, keyword);
    zedozo::axsscl(keyword, other);
    zedozo::labels(keyword, other);
    zedozo::labdig(int(keyword.size()) - 2, other);
    zedozo::ticks(int(other.size()) - 2, keyword);
    zedozo::loggap(keyword);
    zedozo::name(keyword, other);
    zedozo::titlin(keyword, int(other.size() % 7) - 1);
    zedozo::errmod("ALL", "ON");
    return 0;
}
