#include "app/Latin1Text.h"

#include "app/TextFormat.h"
#include "engine/Engine.h"

#include <cstdint>

namespace quorva {
namespace {

// The engine's code of a character from U+007F to U+00FF; '?' when it has
// none (DEL and the controls among them, too: 127 is the engine's "Ä").
char engineCode(std::uint32_t latin1)
{
    for (int code = 127; code < 256; ++code) {
        if (static_cast<std::uint32_t>(zedozo::winAnsiCode(code)) == latin1) return static_cast<char>(code);
    }
    return '?';
}

} // namespace

std::string engineTextFromUtf8(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0, n; i < utf8.size(); i += n) {
        std::uint32_t cp;
        if ((n = utf8Sequence(utf8, i, cp)) == 0) return std::string(utf8);
        if (cp < 0x7F)
            out += static_cast<char>(cp);
        else if (cp <= 0xFF)
            out += engineCode(cp);
        else
            out += '?';
    }
    return out;
}

} // namespace quorva
