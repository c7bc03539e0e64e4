#pragma once
// Text settings of the engine state (character height, angle, fonts,
// width table, pen position). Placeholder: the fonts/text owner fills this
// record and textDefaults() in Text.cpp.

namespace zedozo {

struct TextState {
};

} // namespace zedozo
