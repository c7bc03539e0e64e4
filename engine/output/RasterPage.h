#pragma once
// The raster page: an in-memory image of the plot for the image devices
// (PNG). Palette pages hold one byte per pixel, an index into the engine's
// 256-entry colour table; RGB pages three bytes (red, green, blue).
//
// Every row is stored behind one leading byte, the PNG filter type 0, so the
// image data can be compressed straight from the page without a copy.
//
// Drawing never leaves the pixel buffer: lines are clipped to the page
// rectangle exactly (the pixels inside are those the unclipped line would
// set), rectangles and polygons are clamped.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace zedozo {

class RasterPage {
public:
    // Largest pixel buffer the page will allocate; a bigger window request
    // is refused as lack of memory instead of exhausting the machine.
    static constexpr std::size_t kMaxBytes = std::size_t(1) << 30;

    // Allocates the page and clears it (index 0, or white on an RGB page
    // with paper background). False when the size is not positive or the
    // pixels cannot be allocated.
    bool init(int width, int height, bool trueColour, int bgmode);
    void release();
    bool allocated() const { return data_ != nullptr; }

    int width() const { return w_; }
    int height() const { return h_; }
    bool trueColour() const { return bpp_ == 3; }
    int stride() const { return w_ * bpp_; } // bytes of pixels per row
    // Rows with their filter byte in front: height() * (stride() + 1) bytes.
    const std::uint8_t* filteredRows() const { return data_.get(); }
    std::size_t filteredSize() const { return std::size_t(h_) * pitch_; }
    const std::uint8_t* row(int y) const { return data_.get() + std::size_t(y) * pitch_ + 1; }
    // Palette index (palette page) or red byte (RGB page) of a pixel.
    std::uint8_t at(int x, int y) const { return row(y)[std::size_t(x) * bpp_]; }

    // devvlt: copy of the colour table (0xRRGGBB words).
    void setPalette(const std::uint32_t* table);
    const std::uint32_t* palette() const { return palette_; }

    // devcol: colour-table index (low 8 bits) or explicit colour 0x01BBGGRR.
    void setColour(int value);
    int currentIndex() const { return index_; }

    // Pen: moveTo sets the current point, lineTo draws to the new point
    // (both end points set) and makes it the current point.
    void moveTo(int x, int y)
    {
        curX_ = x;
        curY_ = y;
    }
    void lineTo(int x, int y)
    {
        line(curX_, curY_, x, y);
        curX_ = x;
        curY_ = y;
    }
    void line(int x1, int y1, int x2, int y2);

    // Rows y1..y2, columns x1..x2 inclusive in the given colour value; the
    // current colour stays. Nothing when y1 > y2 or x1 > x2.
    void fillRect(int x1, int y1, int x2, int y2, int value);

    // Even-odd fill of a closed polygon in the current colour.
    void fillPolygon(const int* x, const int* y, int n);

    void erase();

    // devbox: clip rectangle of the shading routines (kept, not used by lines).
    void setClip(int x1, int y1, int x2, int y2)
    {
        clip_[0] = x1;
        clip_[1] = y1;
        clip_[2] = x2;
        clip_[3] = y2;
    }
    const int* clip() const { return clip_; }

private:
    struct Pixel {
        std::uint8_t v[3];
    };
    Pixel pixelOf(int value) const;
    template <int Bpp> void lineImpl(int x1, int y1, int x2, int y2);
    template <int Bpp> void span(int y, int x1, int x2, Pixel px);

    std::unique_ptr<std::uint8_t[]> data_;
    int w_ = 0, h_ = 0, bpp_ = 1;
    std::size_t pitch_ = 0; // stride + filter byte
    int bgmode_ = 0;
    std::uint32_t palette_[256] = {};
    int index_ = 0;           // current palette index
    Pixel cur_ = {{0, 0, 0}}; // current pixel bytes (index or r, g, b)
    int curX_ = 0, curY_ = 0;
    int clip_[4] = {0, 0, 0, 0};
};

} // namespace zedozo
