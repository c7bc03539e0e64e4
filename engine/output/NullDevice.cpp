// A device that draws to nothing: the output of a failed cycle and of the
// devices this system recognises but does not write.
#include "engine/core/EngineInternal.h"
#include "engine/output/Device.h"

#include <string>

namespace zedozo {

namespace {

class NullDevice final : public Device {
public:
    NullDevice(DeviceFamily family, std::string text) : family_(family), text_(std::move(text)) { }
    DeviceFamily family() const override { return family_; }
    bool open(EngineState&) override
    {
        if (text_.empty()) return true;
        raiseFailure(101, text_, {});
        return false;
    }
    void vectors(EngineState&, const DevVec*, int) override { }
    void colour(EngineState&, int, Rgb) override { }
    void polygon(EngineState&, const DevVec*, int) override { }
    void rect(EngineState&, float, float, float, float, int, Rgb) override { }
    void character(EngineState&, int, float, float, float, const CharParams&) override { }
    void font(EngineState&, const char*, float, int, bool) override { }
    void palette(EngineState&, const std::uint32_t*) override { }
    void box(EngineState&, int, int, int, int) override { }
    void erase(EngineState&) override { }
    void finish(EngineState&) override { }

private:
    DeviceFamily family_;
    std::string text_;
};

} // namespace

std::unique_ptr<Device> createNullDevice(DeviceFamily family)
{
    return std::make_unique<NullDevice>(family, std::string());
}

std::unique_ptr<Device> createUnsupportedDevice(DeviceFamily family, const char* text)
{
    return std::make_unique<NullDevice>(family, text ? text : "Device not supported");
}

} // namespace zedozo
