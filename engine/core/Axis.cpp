// Axis defaults run by disini. Placeholder until the axis code lands.
#include "engine/core/EngineInternal.h"

namespace zedozo {

void axisDefaults(EngineState&)
{
}

} // namespace zedozo
