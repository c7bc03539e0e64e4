// PNG file of the raster page: signature, IHDR, PLTE, one IDAT from one
// deflate call, IEND; chunk CRCs by the engine's own CRC-32.
#include "engine/output/PngWriter.h"

#include "engine/output/Crc32.h"
#include "engine/output/Deflate.h"
#include "engine/output/OutputFile.h"
#include "engine/output/RasterPage.h"

namespace zedozo {

namespace {

void putBe32(std::uint8_t* p, std::uint32_t v)
{
    p[0] = std::uint8_t(v >> 24);
    p[1] = std::uint8_t(v >> 16);
    p[2] = std::uint8_t(v >> 8);
    p[3] = std::uint8_t(v);
}

// Length, type, data and the CRC over type and data.
void writeChunk(OutputFile& out, const char type[4], const void* data, std::size_t n)
{
    std::uint8_t head[8];
    putBe32(head, std::uint32_t(n));
    for (int i = 0; i < 4; ++i) head[4 + i] = std::uint8_t(type[i]);
    Crc32 crc;
    crc.update(head + 4, 4);
    crc.update(data, n);
    std::uint8_t tail[4];
    putBe32(tail, crc.value());
    out.write(head, 8);
    if (n) out.write(data, n);
    out.write(tail, 4);
}

} // namespace

PngStatus writePng(OutputFile& out, const RasterPage& page, std::vector<std::uint8_t>& scratch)
{
    if (!page.allocated()) return PngStatus::NoMemory;
    static const std::uint8_t signature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
    out.write(signature, 8);

    std::uint8_t ihdr[13];
    putBe32(ihdr, std::uint32_t(page.width()));
    putBe32(ihdr + 4, std::uint32_t(page.height()));
    ihdr[8] = 8;                         // bit depth
    ihdr[9] = page.trueColour() ? 2 : 3; // RGB or palette
    ihdr[10] = 0;                        // deflate
    ihdr[11] = 0;                        // adaptive filtering, type 0 on every row
    ihdr[12] = 0;                        // no interlace
    writeChunk(out, "IHDR", ihdr, sizeof ihdr);

    if (!page.trueColour()) {
        std::uint8_t plte[768];
        const std::uint32_t* t = page.palette();
        for (int i = 0; i < 256; ++i) {
            plte[3 * i] = std::uint8_t(t[i] >> 16);
            plte[3 * i + 1] = std::uint8_t(t[i] >> 8);
            plte[3 * i + 2] = std::uint8_t(t[i]);
        }
        writeChunk(out, "PLTE", plte, sizeof plte);
    }

    // The page keeps each row behind its filter byte, so the image data is
    // compressed in place.
    const DeflateStatus status = deflateBuffer(page.filteredRows(), page.filteredSize(), scratch);
    if (status == DeflateStatus::NoMemory) return PngStatus::NoMemory;
    if (status != DeflateStatus::Ok) return PngStatus::DeflateError;
    writeChunk(out, "IDAT", scratch.data(), scratch.size());
    writeChunk(out, "IEND", nullptr, 0);
    return out.ok() ? PngStatus::Ok : PngStatus::FileError;
}

} // namespace zedozo
