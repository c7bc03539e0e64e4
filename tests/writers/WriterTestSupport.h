#pragma once
// Writer tests: zlib inflation, PNG chunk and PDF object parsing, PPM
// reading, on top of the shared helpers.

#include "support/EngineAreaSupport.h"

#include <zlib.h>

#include <cstdint>
#include <regex>

namespace writertest {

using namespace zedozotest;
using WriterTest = EngineTest;

// zlib stream -> bytes; empty with ok == false when it does not inflate.
inline std::string inflateAll(const std::string& packed, bool& ok)
{
    std::string out;
    z_stream zs{};
    ok = inflateInit(&zs) == Z_OK;
    if (!ok) return out;
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    zs.avail_in = uInt(packed.size());
    char buf[65536];
    int rc;
    do {
        zs.next_out = reinterpret_cast<Bytef*>(buf);
        zs.avail_out = sizeof buf;
        rc = inflate(&zs, Z_NO_FLUSH);
        out.append(buf, sizeof buf - zs.avail_out);
    } while (rc == Z_OK);
    ok = rc == Z_STREAM_END && zs.avail_in == 0;
    inflateEnd(&zs);
    return out;
}

inline std::uint32_t be32(const std::string& s, std::size_t at)
{
    auto b = [&](std::size_t i) { return std::uint32_t(static_cast<unsigned char>(s[at + i])); };
    return b(0) << 24 | b(1) << 16 | b(2) << 8 | b(3);
}

struct PngChunk {
    std::string type;
    std::string data;
    std::string crc;   // the 4 bytes as stored
};

// Chunks after the signature; empty when the signature is wrong.
inline std::vector<PngChunk> pngChunks(const std::string& file)
{
    std::vector<PngChunk> v;
    static const std::string sig("\x89PNG\r\n\x1a\n", 8);
    if (file.compare(0, 8, sig) != 0) return v;
    std::size_t at = 8;
    while (at + 12 <= file.size()) {
        const std::uint32_t n = be32(file, at);
        if (at + 12 + n > file.size()) break;
        v.push_back({file.substr(at + 4, 4), file.substr(at + 8, n), file.substr(at + 8 + n, 4)});
        at += 12 + n;
    }
    return v;
}

// Pixel rows of a palette PNG (filter type 0 on every row, as written).
struct PaletteImage {
    int w = 0, h = 0;
    std::string rows;   // h * (w + 1) bytes with the filter bytes
    int at(int x, int y) const { return static_cast<unsigned char>(rows[std::size_t(y) * (w + 1) + 1 + x]); }
};

inline PaletteImage decodePalettePng(const std::string& file)
{
    PaletteImage img;
    std::string idat;
    for (const PngChunk& c : pngChunks(file)) {
        if (c.type == "IHDR") {
            img.w = int(be32(c.data, 0));
            img.h = int(be32(c.data, 4));
        } else if (c.type == "IDAT") {
            idat += c.data;
        }
    }
    bool ok = false;
    img.rows = inflateAll(idat, ok);
    if (!ok) img.rows.clear();
    return img;
}

// Binary PPM (P6) as written by pdftoppm.
struct RgbImage {
    int w = 0, h = 0;
    std::string px;
    void rgb(int x, int y, int& r, int& g, int& b) const
    {
        const std::size_t i = (std::size_t(y) * w + x) * 3;
        r = static_cast<unsigned char>(px[i]);
        g = static_cast<unsigned char>(px[i + 1]);
        b = static_cast<unsigned char>(px[i + 2]);
    }
};

inline RgbImage readPpm(const std::string& name)
{
    RgbImage img;
    const std::string s = readFile(name);
    std::istringstream in(s);
    std::string magic;
    int maxval = 0;
    in >> magic >> img.w >> img.h >> maxval;
    if (magic != "P6" || maxval != 255) return RgbImage{};
    in.get();
    const std::size_t start = std::size_t(in.tellg());
    img.px = s.substr(start, std::size_t(img.w) * img.h * 3);
    return img;
}

// "n 0 obj" headers of a PDF in file order, with their offsets.
struct PdfObjectHeader {
    int number;
    std::size_t offset;
};

inline std::vector<PdfObjectHeader> pdfObjects(const std::string& pdf)
{
    std::vector<PdfObjectHeader> v;
    std::size_t at = 0;
    while (at < pdf.size()) {
        std::size_t eol = pdf.find('\n', at);
        if (eol == std::string::npos) eol = pdf.size();
        const std::string line = pdf.substr(at, eol - at);
        int n = 0;
        char tail[8] = {};
        if (std::sscanf(line.c_str(), "%d 0 ob%1[j]", &n, tail) == 2 && line == std::to_string(n) + " 0 obj")
            v.push_back({n, at});
        // Skip stream data so that compressed bytes are not read as lines.
        if (line == "stream") {
            const std::size_t end = pdf.find("endstream\nendobj\n", eol);
            if (end == std::string::npos) break;
            at = end;
            continue;
        }
        at = eol + 1;
    }
    return v;
}

// The data of every stream in file order (raw, as stored).
struct PdfStream {
    int object;
    std::string dict;
    std::string data;
};

inline std::vector<PdfStream> pdfStreams(const std::string& pdf)
{
    std::vector<PdfStream> v;
    for (const PdfObjectHeader& h : pdfObjects(pdf)) {
        const std::size_t dictAt = pdf.find('\n', h.offset) + 1;
        const std::size_t streamKw = pdf.find("stream\n", dictAt);
        const std::size_t endObj = pdf.find("endobj\n", dictAt);
        if (streamKw == std::string::npos || streamKw > endObj) continue;
        const std::string dict = pdf.substr(dictAt, streamKw - dictAt);
        std::smatch m;
        const std::regex lengthRe("/Length (\\d+)( 0 R)?");
        if (!std::regex_search(dict, m, lengthRe)) continue;
        const std::size_t dataAt = streamKw + 7;
        std::size_t len;
        if (m[2].matched) len = pdf.find("endstream\n", dataAt) - dataAt;   // length object: check separately
        else len = std::stoul(m[1].str());
        v.push_back({h.number, dict, pdf.substr(dataAt, len)});
    }
    return v;
}

// The page content: every content stream inflated (or raw) and joined.
inline std::string pdfContent(const std::string& pdf)
{
    std::string all;
    for (const PdfStream& s : pdfStreams(pdf)) {
        if (s.dict.find("/FlateDecode") != std::string::npos) {
            bool ok = false;
            all += inflateAll(s.data, ok);
            EXPECT_TRUE(ok) << "stream " << s.object << " does not inflate";
        } else {
            all += s.data;
        }
    }
    return all;
}

} // namespace writertest
