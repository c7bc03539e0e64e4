#pragma once
// The PNG file of the raster page, and the one-call zlib compression that
// the PNG and PDF writers share.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zedozo {

class OutputFile;
class RasterPage;

// Status values of the image writer and of deflateBuffer.
enum PngStatus : int {
    kPngOk = 0,
    kPngFileError = -1,     // warning 36
    kPngNoMemory = -2,      // warning 53
    kPngDeflateInit = -3,   // warning 101 "ZLIB error"
    kPngDeflate = -4,
    kPngDeflateEnd = -5,
};

// Compresses n bytes in one call (zlib stream format, default level, one
// deflate with Z_FINISH, then deflateEnd). out receives exactly the
// compressed bytes; its capacity is kept for the next call. Returns one of
// the statuses above. Safe to call from several threads at once.
int deflateBuffer(const void* in, std::size_t n, std::vector<std::uint8_t>& out);

// Test seam: the next deflateBuffer call (on any thread) fails with the
// given status (kPngDeflateInit, kPngDeflate or kPngDeflateEnd).
void failNextDeflateForTests(int status);

// Writes the page as a PNG file: signature, IHDR, PLTE (palette pages),
// one IDAT, IEND. scratch holds the compressed data (reused between
// plots). Returns a PngStatus; kPngFileError when the file reported a
// write error.
int writePng(OutputFile& out, const RasterPage& page, std::vector<std::uint8_t>& scratch);

} // namespace zedozo
