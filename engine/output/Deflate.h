#pragma once
// One-call zlib compression shared by the PNG writer (image data) and the
// PDF writer (content streams).

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zedozo {

enum class DeflateStatus : int {
    Ok = 0,
    NoMemory,   // the output buffer could not be allocated
    InitFailed, // deflateInit
    Failed,     // deflate did not finish the stream (or the input is too large)
    EndFailed,  // deflateEnd
};

// Compresses n bytes in one call (zlib stream format, default level, one
// deflate with Z_FINISH, then deflateEnd). out receives exactly the
// compressed bytes (nothing on failure); its capacity is kept for the next
// call. Safe to call from several threads at once.
DeflateStatus deflateBuffer(const void* in, std::size_t n, std::vector<std::uint8_t>& out);

// The next deflateBuffer call (on any thread) fails with the given status.
void failNextDeflateForTests(DeflateStatus status);

} // namespace zedozo
