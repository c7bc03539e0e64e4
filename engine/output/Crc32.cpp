// CRC-32 of PNG chunks, table-driven.
#include "engine/output/Crc32.h"

#include <array>

namespace zedozo {

namespace {

const std::array<std::uint32_t, 256>& crcTable()
{
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t {};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    return table;
}

} // namespace

void Crc32::update(const void* data, std::size_t n)
{
    const auto& t = crcTable();
    const auto* p = static_cast<const unsigned char*>(data);
    std::uint32_t c = state_;
    for (std::size_t i = 0; i < n; ++i) c = t[(c ^ p[i]) & 0xFFu] ^ (c >> 8);
    state_ = c;
}

std::uint32_t Crc32::of(const void* data, std::size_t n)
{
    Crc32 crc;
    crc.update(data, n);
    return crc.value();
}

} // namespace zedozo
