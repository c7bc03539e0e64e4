// A device that draws to nothing: the output of a failed cycle and of the
// devices this system recognises but does not write.
#include "engine/output/Device.h"

#include <string>

namespace zedozo {

namespace {

class NullDevice final : public Device {
public:
    explicit NullDevice(std::string text) : text_(std::move(text)) { }
    bool open(DeviceContext&) override
    {
        raiseFailure(101, text_, {});
        return false;
    }
    void vectors(DeviceContext&, const DevVec*, int) override { }
    void colour(DeviceContext&, int, Rgb) override { }
    void polygon(DeviceContext&, const DevVec*, int) override { }
    void rect(DeviceContext&, float, float, float, float, int, Rgb) override { }
    void character(DeviceContext&, int, float, float, float, const CharParams&) override { }
    void font(DeviceContext&, const char*, float, int, bool) override { }
    void palette(DeviceContext&, const std::uint32_t*) override { }
    void box(DeviceContext&, int, int, int, int) override { }
    void erase(DeviceContext&) override { }
    void finish(DeviceContext&) override { }

private:
    std::string text_;
};

} // namespace

std::unique_ptr<Device> createUnsupportedDevice(const char* text)
{
    return std::make_unique<NullDevice>(text ? text : "Device not supported");
}

} // namespace zedozo
