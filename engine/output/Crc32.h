#pragma once
// CRC-32 of PNG chunks: polynomial 0xEDB88320 (reflected), initial value
// 0xFFFFFFFF, final complement. Table-driven; the table is built on first use.

#include <cstddef>
#include <cstdint>

namespace zedozo {

class Crc32 {
public:
    void update(const void* data, std::size_t n);
    std::uint32_t value() const { return ~state_; }

    // CRC of one buffer.
    static std::uint32_t of(const void* data, std::size_t n);

private:
    std::uint32_t state_ = 0xFFFFFFFFu;
};

} // namespace zedozo
