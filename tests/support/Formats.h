#pragma once
// Independent readers of the plot formats: zlib inflation, PNG chunks and
// palette pixels, PDF objects and (inflated) streams.

#include "support/Files.h"

#include <zlib.h>

#include <cstdint>

namespace qtest {

// zlib stream -> bytes; ok false when it does not inflate to its end.
inline std::string inflateAll(const std::string& packed, bool& ok)
{
    std::string out;
    z_stream zs {};
    ok = inflateInit(&zs) == Z_OK;
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    zs.avail_in = uInt(packed.size());
    int rc = Z_OK;
    while (ok && rc == Z_OK) {
        char buf[65536];
        zs.next_out = reinterpret_cast<Bytef*>(buf);
        zs.avail_out = sizeof buf;
        rc = inflate(&zs, Z_NO_FLUSH);
        out.append(buf, sizeof buf - zs.avail_out);
    }
    ok = ok && rc == Z_STREAM_END && zs.avail_in == 0;
    inflateEnd(&zs);
    return out;
}

inline std::uint32_t be32(const std::string& s, std::size_t at)
{
    auto b = [&](std::size_t i) { return std::uint32_t(static_cast<unsigned char>(s[at + i])); };
    return b(0) << 24 | b(1) << 16 | b(2) << 8 | b(3);
}

// A PNG's pixels, 8 bits a sample: palette indices (colour type 3), RGB
// (type 2) or RGBA (type 6), every row filter undone; filtersOk when it
// inflated whole and every row has filter type 0, as the writer uses.
struct PngImage {
    int w = 0, h = 0, colourType = 0;
    std::string palette, pixels;
    bool filtersOk = false;
    std::size_t bpp() const { return colourType == 2 ? 3 : colourType == 6 ? 4 : 1; }
    int at(int x, int y) const { return static_cast<unsigned char>(pixels[std::size_t(y) * w + x]); }
    std::uint32_t rgb(int x, int y) const // also through the palette
    {
        const std::size_t i = std::size_t(y) * std::size_t(w) + std::size_t(x);
        return be32(
            '\0' + (colourType == 3 ? palette.substr(std::size_t(at(x, y)) * 3, 3) : pixels.substr(i * bpp(), 3)), 0);
    }
};

inline PngImage decodePng(const std::string& file)
{
    PngImage img;
    std::string idat;
    // The chunks after the signature (none when it is wrong).
    const bool png = file.compare(0, 8, std::string("\x89PNG\r\n\x1a\n", 8)) == 0;
    for (std::size_t at = 8; png && at + 12 <= file.size();) {
        const std::uint32_t n = be32(file, at);
        if (at + 12 + n > file.size()) break;
        const std::string type = file.substr(at + 4, 4), data = file.substr(at + 8, n);
        if (type == "IHDR") img.w = int(be32(data, 0)), img.h = int(be32(data, 4)), img.colourType = data[9];
        img.palette += type == "PLTE" ? data : "";
        idat += type == "IDAT" ? data : "";
        at += 12 + n;
    }
    bool ok = false;
    const std::string rows = inflateAll(idat, ok);
    const std::size_t bpp = img.bpp(), stride = std::size_t(img.w) * bpp;
    const bool whole = ok && rows.size() == (stride + 1) * std::size_t(img.h);
    img.filtersOk = whole;
    std::vector<unsigned char> cur(stride), prev(stride, 0);
    for (std::size_t y = 0; whole && y < std::size_t(img.h); ++y) {
        const unsigned char filter = static_cast<unsigned char>(rows[y * (stride + 1)]);
        img.filtersOk = img.filtersOk && filter == 0;
        for (std::size_t x = 0; x < stride; ++x) {
            const int a = x >= bpp ? cur[x - bpp] : 0, b = prev[x], c = x >= bpp ? prev[x - bpp] : 0;
            const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
            const int paeth = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
            const int predictor = filter == 1 ? a
                : filter == 2                 ? b
                : filter == 3                 ? (a + b) / 2
                : filter == 4                 ? paeth
                                              : 0;
            cur[x] = static_cast<unsigned char>(static_cast<unsigned char>(rows[y * (stride + 1) + 1 + x]) + predictor);
        }
        img.pixels.append(reinterpret_cast<const char*>(cur.data()), stride);
        std::swap(cur, prev);
    }
    return img;
}

// The objects of a PDF in file order: number, offset of "n 0 obj", the
// dictionary text and (for a stream) its data as stored and inflated.
struct PdfObject {
    int number = 0;
    std::size_t offset = 0;
    std::string dict, data, inflated;
    bool isStream = false, inflates = true;
};

inline std::vector<PdfObject> pdfObjects(const std::string& pdf)
{
    std::vector<PdfObject> v;
    std::size_t at = 0;
    while (at < pdf.size()) {
        const std::size_t eol = std::min(pdf.find('\n', at), pdf.size());
        const std::string line = pdf.substr(at, eol - at);
        int n = 0;
        if (std::sscanf(line.c_str(), "%d", &n) == 1 && line == std::to_string(n) + " 0 obj") {
            PdfObject o {.number = n, .offset = at};
            const std::size_t end = pdf.find("endobj\n", eol);
            const std::size_t stream = pdf.find("stream\n", eol);
            o.isStream = stream < end;
            o.dict = pdf.substr(eol + 1, (o.isStream ? stream : end) - eol - 1);
            if (o.isStream) {
                // The length written, or (when it is in another object) up to endstream.
                const std::size_t l = o.dict.find("/Length "), dataAt = stream + 7;
                std::size_t len = l == std::string::npos ? 0 : std::stoul(o.dict.substr(l + 8));
                if (l == std::string::npos || o.dict.find(" 0 R", l) == l + 8 + std::to_string(len).size())
                    len = pdf.rfind("endstream", end) - dataAt;
                o.data = o.inflated = pdf.substr(dataAt, len);
                if (o.dict.find("/FlateDecode") != std::string::npos) o.inflated = inflateAll(o.data, o.inflates);
            }
            v.push_back(o);
            at = end == std::string::npos ? pdf.size() : end + 7;
            continue;
        }
        at = eol + 1;
    }
    return v;
}

// The page content: every stream's inflated data, joined.
inline std::string pdfContent(const std::string& pdf)
{
    std::string all;
    for (const PdfObject& o : pdfObjects(pdf)) all += o.isStream ? o.inflated : "";
    return all;
}

} // namespace qtest
