#pragma once
// The PNG file of the raster page.

#include <cstdint>
#include <vector>

namespace zedozo {

class OutputFile;
class RasterPage;

// Status values of the image writer.
enum PngStatus : int {
    kPngOk = 0,
    kPngFileError,    // warning 36
    kPngNoMemory,     // warning 53
    kPngDeflateError, // warning 101 "ZLIB error"
};

// Writes the page as a PNG file: signature, IHDR, PLTE (palette pages),
// one IDAT, IEND. scratch holds the compressed data (reused between
// plots). Returns a PngStatus; kPngFileError when the file reported a
// write error.
int writePng(OutputFile& out, const RasterPage& page, std::vector<std::uint8_t>& scratch);

} // namespace zedozo
