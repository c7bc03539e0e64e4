#include "app/FileMask.h"

#include <cstddef>

namespace quorva {

namespace {
char upper(char c) noexcept { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
} // namespace

bool matchesMask(std::string_view name, std::string_view mask) noexcept
{
    // Greedy match with one back-tracking point: the last '*' seen.
    std::size_t n = 0, m = 0, starM = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == '*') {
            starM = m++;
            starN = n;
        } else if (m < mask.size() && upper(mask[m]) == upper(name[n])) {
            ++m;
            ++n;
        } else if (starM != std::string_view::npos) {
            m = starM + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}

} // namespace quorva
