// Text defaults run by disini. Placeholder until the text code lands.
#include "engine/core/EngineInternal.h"

namespace zedozo {

void textDefaults(EngineState&)
{
}

} // namespace zedozo
