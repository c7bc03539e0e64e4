#include "app/TextFormat.h"

#include <clocale>
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

} // namespace quorva
