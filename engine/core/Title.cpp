// Title defaults run by disini. Placeholder until the title code lands.
#include "engine/core/EngineInternal.h"

namespace zedozo {

void titleDefaults(EngineState&)
{
}

} // namespace zedozo
