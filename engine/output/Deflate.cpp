// One-call zlib compression (see Deflate.h).
#include "engine/output/Deflate.h"


#include <zlib.h>

#include <atomic>
#include <climits>
#include <new>

namespace zedozo {

namespace {

std::atomic<int> g_failNextDeflate {0}; // a DeflateStatus; Ok: none forced

} // namespace

void failNextDeflateForTests(DeflateStatus status)
{
    g_failNextDeflate.store(int(status));
}

DeflateStatus deflateBuffer(const void* in, std::size_t n, std::vector<std::uint8_t>& out)
{
    out.clear();
    if (int forced = g_failNextDeflate.exchange(0)) return DeflateStatus(forced);
    if (n > UINT_MAX) return DeflateStatus::Failed;
    z_stream zs {};
    if (deflateInit(&zs, Z_DEFAULT_COMPRESSION) != Z_OK) return DeflateStatus::InitFailed;
    // n + n/100 + 13 always held zlib's worst case; deflateBound is the
    // library's own word on it.
    std::size_t room = n + n / 100 + 13;
    const std::size_t bound = deflateBound(&zs, uLong(n));
    if (bound > room) room = bound;
    try {
        out.resize(room);
    } catch (const std::bad_alloc&) {
        deflateEnd(&zs);
        return DeflateStatus::NoMemory;
    }
    zs.next_in = static_cast<Bytef*>(const_cast<void*>(in));
    zs.avail_in = uInt(n);
    zs.next_out = out.data();
    zs.avail_out = uInt(room > UINT_MAX ? UINT_MAX : room);
    const int rc = deflate(&zs, Z_FINISH);
    const std::size_t produced = zs.total_out;
    if (rc != Z_STREAM_END) {
        deflateEnd(&zs);
        out.clear();
        return DeflateStatus::Failed;
    }
    if (deflateEnd(&zs) != Z_OK) {
        out.clear();
        return DeflateStatus::EndFailed;
    }
    out.resize(produced);
    return DeflateStatus::Ok;
}

} // namespace zedozo
