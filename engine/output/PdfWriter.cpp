// Placeholder until the PDF writer lands: the cycle reports the device
// as not supported yet and draws nothing.
#include "engine/output/Device.h"

namespace zedozo {

std::unique_ptr<Device> createPdfWriter(EngineState&)
{
    return createUnsupportedDevice(DeviceFamily::Pdf, "PDF output is not supported yet");
}

} // namespace zedozo
