// Placeholder until the PNG writer lands: the cycle reports the device
// as not supported yet and draws nothing.
#include "engine/output/Device.h"

namespace zedozo {

std::unique_ptr<Device> createRasterWriter(EngineState&)
{
    return createUnsupportedDevice(DeviceFamily::Raster, "PNG output is not supported yet");
}

} // namespace zedozo
