#pragma once
// ASCII letter case for file masks, units, output names and configuration
// keys: only a-z and A-Z change, whatever the locale.

#include <string>
#include <string_view>

namespace quorva {

constexpr char upperAscii(char c) noexcept
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr char lowerAscii(char c) noexcept
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string upperAscii(std::string_view text)
{
    std::string u(text);
    for (char& c : u) c = upperAscii(c);
    return u;
}

constexpr bool equalsIgnoringCase(std::string_view a, std::string_view b) noexcept
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upperAscii(a[i]) != upperAscii(b[i])) return false;
    return true;
}

} // namespace quorva
