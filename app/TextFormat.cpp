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

} // namespace quorva
