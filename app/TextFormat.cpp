#include "app/TextFormat.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <locale.h>

namespace quorva {

std::string formatText(const char* format, ...)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    struct LocaleScope {
        locale_t previous;
        ~LocaleScope() { uselocale(previous); }
    } scope {uselocale(cLocale)};

    char local[256];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(local, sizeof local, format, args);
    va_end(args);
    std::string text;
    if (length >= 0 && static_cast<std::size_t>(length) < sizeof local) {
        text.assign(local, static_cast<std::size_t>(length));
    } else if (length > 0) {
        text.resize(static_cast<std::size_t>(length));
        va_start(args, format);
        std::vsnprintf(text.data(), text.size() + 1, format, args);
        va_end(args);
    }
    return text;
}

std::optional<double> parseDecimal(std::string_view text)
{
    if (text.empty() || text.size() > 32 || text.find_first_not_of("0123456789.") != std::string_view::npos)
        return std::nullopt;
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v, std::chars_format::fixed);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::size_t utf8Sequence(std::string_view s, std::size_t i, std::uint32_t& codePoint) noexcept
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = byte(i);
    std::size_t n;
    std::uint32_t cp;
    if (c < 0x80) {
        codePoint = c;
        return 1;
    }
    if (c >= 0xc2 && c <= 0xdf) {
        n = 2;
        cp = c & 0x1fu;
    } else if (c >= 0xe0 && c <= 0xef) {
        n = 3;
        cp = c & 0x0fu;
    } else if (c >= 0xf0 && c <= 0xf4) {
        n = 4;
        cp = c & 0x07u;
    } else {
        return 0;
    }
    if (i + n > s.size()) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xc0u) != 0x80u) return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3fu);
    }
    const bool overlong = (n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000);
    if (overlong || cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff)) return 0;
    codePoint = cp;
    return n;
}

} // namespace quorva
