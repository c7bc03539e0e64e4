#pragma once
// Title settings of the engine state (four title lines, underline flags,
// justification, distance, spacing). Placeholder: the axis/titles owner
// fills this record and titleDefaults() in Title.cpp.

namespace zedozo {

struct TitleState {
};

} // namespace zedozo
