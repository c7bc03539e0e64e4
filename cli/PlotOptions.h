#pragma once
// The plot options that `quorva plot` and `quorva watch` share.

#include "app/FilePlotter.h"
#include "cli/Options.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>

namespace quorva::cli {

// One line per option; a new option is one more line here (and one in the
// help text, which the completion test holds against the completion).
inline constexpr Option kPlotOptions[] = {
    {"format", 'f', true},
    {"output", 0, true}, // the folder; -o names the file itself
    {"output-file", 'o', true},
    {"unit", 'u', true},
    {"size", 0, true},
    {"desktop", 0, true},
    {"thickness", 0, true},
    {"axes", 0, true},
    {"log"},
};

// The tables of a command, one after the other.
template <std::size_t... N> constexpr auto joinOptions(const Option (&... tables)[N])
{
    std::array<Option, (N + ...)> all {};
    auto at = all.begin();
    ((at = std::copy(std::begin(tables), std::end(tables), at)), ...);
    return all;
}

// The option lines of the help (one per option, without -h).
extern const char kPlotOptionsText[];

// --from and --to of `plot` and `stats`, and their help lines.
inline constexpr Option kWindowOptions[] = {{"from", 0, true}, {"to", 0, true}};
extern const char kWindowOptionsText[];

// --unit of `parsed` (any case) into `unit` as "SFU" or "ADU"; false with
// a one-line reason in `error` for another text.
bool unitOption(const Arguments& parsed, std::optional<std::string>& unit, std::string& error);

// --from/--to of `parsed` into `window`; false with a one-line reason in
// `error` for a time that does not parse or --from after --to.
bool windowOptions(const Arguments& parsed, TimeWindow& window, std::string& error);

// The plot options of `parsed` into `settings`, then the defaults from
// "Quorva.cfg" for what they do not give; the operands become the files.
// False with a one-line reason in `error` on a usage error.
bool plotSettings(const Arguments& parsed, PlotSettings& settings, std::string& error);

} // namespace quorva::cli
