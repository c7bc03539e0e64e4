#pragma once
// Axis settings of the engine state (axis position and lengths, scaling,
// label and name settings per axis). Placeholder: the axis/titles owner
// fills this record and axisDefaults() in Axis.cpp.

namespace zedozo {

struct AxisState {
};

} // namespace zedozo
