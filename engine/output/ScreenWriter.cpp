// Placeholder until the Screen writer lands: the cycle reports the device
// as not supported yet and draws nothing.
#include "engine/output/Device.h"

namespace zedozo {

std::unique_ptr<Device> createScreenWriter(EngineState&)
{
    return createUnsupportedDevice(DeviceFamily::Screen, "Screen output is not supported yet");
}

} // namespace zedozo
