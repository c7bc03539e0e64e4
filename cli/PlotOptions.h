#pragma once
// The plot options that `quorva plot` and `quorva watch` share.

#include "app/PlotFiles.h"
#include "cli/Options.h"

#include <string>

namespace quorva::cli {

inline constexpr Option kPlotOptions[] = {{"format", 0, true}, {"output", 0, true}, {"unit", 0, true},
    {"size", 0, true}, {"desktop", 0, true}, {"thickness", 0, true}, {"axes", 0, true}, {"log"}};

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
