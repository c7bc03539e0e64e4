#pragma once
// The PNG file of the raster page.

#include <cstdint>
#include <vector>

namespace zedozo {

class OutputFile;
class RasterPage;

// Status values of the image writer.
enum class PngStatus {
    Ok,
    FileError,    // warning 36
    NoMemory,     // warning 53
    DeflateError, // warning 101 "ZLIB error"
};

// Writes the page as a PNG file: signature, IHDR, PLTE (palette pages),
// one IDAT, IEND. scratch holds the compressed data (reused between
// plots). FileError when the file reported a
// write error.
PngStatus writePng(OutputFile& out, const RasterPage& page, std::vector<std::uint8_t>& scratch);

} // namespace zedozo
