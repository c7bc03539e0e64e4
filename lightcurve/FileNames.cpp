#include "lightcurve/FileNames.h"

#include "lightcurve/Ascii.h"

#include <cstddef>

namespace quorva {
namespace {

// Position of `word` (upper case) in `text`, letters of `text` in any case.
std::size_t findWithoutCase(std::string_view text, std::string_view word) noexcept
{
    for (std::size_t i = 0; i + word.size() <= text.size(); ++i) {
        std::size_t k = 0;
        while (k < word.size() && upperAscii(text[i + k]) == word[k]) ++k;
        if (k == word.size()) return i;
    }
    return std::string_view::npos;
}

} // namespace

std::string_view fileNamePart(std::string_view path) noexcept
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view folderPart(std::string_view path) noexcept
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view {} : path.substr(0, slash + 1);
}

bool matchesMask(std::string_view name, std::string_view mask) noexcept
{
    // Greedy match with one back-tracking point: the last '*' seen.
    std::size_t n = 0, m = 0, starM = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == '*') {
            starM = m++;
            starN = n;
        } else if (m < mask.size() && upperAscii(mask[m]) == upperAscii(name[n])) {
            ++m;
            ++n;
        } else if (starM != std::string_view::npos) {
            m = starM + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') ++m;
    return m == mask.size();
}

bool isLightCurveName(std::string_view fileName) noexcept
{
    return matchesMask(fileName, kSfuMask) || matchesMask(fileName, kAduMask);
}

std::string unitFromFileName(std::string_view path)
{
    const std::string_view name = fileNamePart(path);
    const std::size_t sfu = findWithoutCase(name, "SFU");
    if (sfu != std::string_view::npos && sfu < findWithoutCase(name, "ADU")) return "SFU";
    return "ADU";
}

} // namespace quorva
