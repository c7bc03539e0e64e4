#include "app/Latin1Text.h"

#include "engine/core/Text.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace quorva {
namespace {

// Code points of a valid UTF-8 text (no overlong forms, no surrogates,
// nothing above U+10FFFF); nullopt otherwise.
std::optional<std::vector<std::uint32_t>> decodeUtf8(std::string_view text)
{
    std::vector<std::uint32_t> points;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length;
        std::uint32_t cp;
        std::uint32_t minimum;
        if (lead < 0x80) {
            points.push_back(lead);
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2, cp = lead & 0x1Fu, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, cp = lead & 0x0Fu, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, cp = lead & 0x07u, minimum = 0x10000;
        } else {
            return std::nullopt;
        }
        if (text.size() - i < length) return std::nullopt;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            cp = (cp << 6) | (next & 0x3Fu);
        }
        if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
        points.push_back(cp);
        i += length;
    }
    return points;
}

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
    const std::optional<std::vector<std::uint32_t>> points = decodeUtf8(utf8);
    if (!points) return std::string(utf8);
    std::string out;
    out.reserve(points->size());
    for (std::uint32_t cp : *points) {
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
