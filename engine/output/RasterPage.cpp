// The raster page and the writer of the image devices: the page is drawn
// in memory and written as a PNG file at disfin.
#include "engine/output/RasterPage.h"

#include "engine/output/Device.h"
#include "engine/output/OutputFile.h"
#include "engine/output/PngWriter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace zedozo {

namespace {

using i128 = __int128;

i128 floorDiv(i128 a, i128 b) // b > 0
{
    i128 q = a / b;
    if (a % b != 0 && a < 0) --q;
    return q;
}

} // namespace

bool RasterPage::init(int width, int height, bool trueColour, int bgmode)
{
    release();
    if (width <= 0 || height <= 0) return false;
    const int bpp = trueColour ? 3 : 1;
    const std::size_t pitch = std::size_t(width) * std::size_t(bpp) + 1;
    if (pitch > kMaxBytes / std::size_t(height)) return false;
    data_.reset(new (std::nothrow) std::uint8_t[pitch * std::size_t(height)]);
    if (!data_) return false;
    w_ = width;
    h_ = height;
    bpp_ = bpp;
    pitch_ = pitch;
    bgmode_ = bgmode;
    index_ = 0;
    cur_ = Pixel {{0, 0, 0}};
    curX_ = curY_ = 0;
    setClip(0, 0, w_ - 1, h_ - 1);
    erase();
    return true;
}

void RasterPage::release()
{
    data_.reset();
    w_ = h_ = 0;
    pitch_ = 0;
}

void RasterPage::erase()
{
    if (!data_) return;
    if (bpp_ == 3 && bgmode_ == 2) {
        for (int y = 0; y < h_; ++y) {
            std::uint8_t* r = data_.get() + std::size_t(y) * pitch_;
            r[0] = 0;
            std::memset(r + 1, 255, pitch_ - 1);
        }
    } else {
        std::memset(data_.get(), 0, filteredSize());
    }
}

void RasterPage::setPalette(const std::uint32_t* table)
{
    std::memcpy(palette_, table, sizeof palette_);
}

RasterPage::Pixel RasterPage::pixelOf(int value) const
{
    Pixel px {{0, 0, 0}};
    if ((std::uint32_t(value) >> 24) == 1) {
        const int r = value & 0xFF, g = (value >> 8) & 0xFF, b = (value >> 16) & 0xFF;
        if (bpp_ == 3)
            px = Pixel {{std::uint8_t(r), std::uint8_t(g), std::uint8_t(b)}};
        else
            px.v[0] = std::uint8_t(nearestColourIndex(palette_, 255, r, g, b));
    } else {
        const int index = value & 0xFF;
        if (bpp_ == 3) {
            const std::uint32_t w = palette_[index];
            px = Pixel {{std::uint8_t(w >> 16), std::uint8_t(w >> 8), std::uint8_t(w)}};
        } else {
            px.v[0] = std::uint8_t(index);
        }
    }
    return px;
}

void RasterPage::setColour(int value)
{
    cur_ = pixelOf(value);
    if ((std::uint32_t(value) >> 24) == 1)
        index_ = bpp_ == 1 ? cur_.v[0] : index_;
    else
        index_ = value & 0xFF;
}

template <int Bpp> void RasterPage::span(int y, int x1, int x2, Pixel px)
{
    if (y < 0 || y >= h_) return;
    x1 = std::max(x1, 0);
    x2 = std::min(x2, w_ - 1);
    if (x1 > x2) return;
    std::uint8_t* p = data_.get() + std::size_t(y) * pitch_ + 1 + std::size_t(x1) * Bpp;
    if (Bpp == 1) {
        std::memset(p, px.v[0], std::size_t(x2 - x1 + 1));
    } else {
        for (int x = x1; x <= x2; ++x, p += 3) {
            p[0] = px.v[0];
            p[1] = px.v[1];
            p[2] = px.v[2];
        }
    }
}

void RasterPage::line(int x1, int y1, int x2, int y2)
{
    if (!data_) return;
    if (bpp_ == 1)
        lineImpl<1>(x1, y1, x2, y2);
    else
        lineImpl<3>(x1, y1, x2, y2);
}

// The integer line algorithm with both end points. Pixel i (0..D) along the
// major axis lies c(i) = ceil((e0 + i*dm) / D) minor steps from the start,
// which lets a line that leaves the page be cut to the steps whose pixels lie
// on it, and the loop then runs without any bounds test.
template <int Bpp> void RasterPage::lineImpl(int x1, int y1, int x2, int y2)
{
    const Pixel px = cur_;
    if (y1 == y2) {
        span<Bpp>(y1, std::min(x1, x2), std::max(x1, x2), px);
        return;
    }
    const std::ptrdiff_t pitch = std::ptrdiff_t(pitch_);
    if (x1 == x2) {
        if (x1 < 0 || x1 >= w_) return;
        const int ya = std::max(std::min(y1, y2), 0), yb = std::min(std::max(y1, y2), h_ - 1);
        std::uint8_t* p = data_.get() + std::size_t(ya) * pitch_ + 1 + std::size_t(x1) * Bpp;
        for (int y = ya; y <= yb; ++y, p += pitch) {
            p[0] = px.v[0];
            if (Bpp == 3) {
                p[1] = px.v[1];
                p[2] = px.v[2];
            }
        }
        return;
    }
    const long long dx = std::llabs(static_cast<long long>(x2) - x1);
    const long long dy = std::llabs(static_cast<long long>(y2) - y1);
    const int sx = x2 > x1 ? 1 : -1, sy = y2 > y1 ? 1 : -1;
    const bool yMajor = dx <= dy;
    const long long m0 = yMajor ? y1 : x1, n0 = yMajor ? x1 : y1;
    const int sM = yMajor ? sy : sx, sN = yMajor ? sx : sy;
    const long long D = yMajor ? dy : dx, dm = yMajor ? dx : dy;
    const long long hiM = (yMajor ? h_ : w_) - 1, hiN = (yMajor ? w_ : h_) - 1;
    const std::ptrdiff_t majStep = yMajor ? sM * pitch : std::ptrdiff_t(sM) * Bpp;
    const std::ptrdiff_t minStep = yMajor ? std::ptrdiff_t(sN) * Bpp : sN * pitch;
    const long long e0 = -(D / 2);

    long long iA = 0, iB = D;
    const bool inside = x1 >= 0 && x1 < w_ && x2 >= 0 && x2 < w_ && y1 >= 0 && y1 < h_ && y2 >= 0 && y2 < h_;
    if (!inside) {
        if (sM > 0) {
            iA = std::max(iA, -m0);
            iB = std::min(iB, hiM - m0);
        } else {
            iA = std::max(iA, m0 - hiM);
            iB = std::min(iB, m0);
        }
        if (iA > iB) return;
        const long long cLo = sN > 0 ? -n0 : n0 - hiN;
        const long long cHi = sN > 0 ? hiN - n0 : n0;
        if (cHi < 0) return;
        // c(i) >= cLo  <=>  e0 + i*dm > (cLo - 1)*D;   c(i) <= cHi  <=>  e0 + i*dm <= cHi*D
        if (cLo > 0) iA = std::max<long long>(iA, (long long)(floorDiv(i128(cLo - 1) * D - e0, dm) + 1));
        const i128 last = floorDiv(i128(cHi) * D - e0, dm);
        if (last < iB) iB = (long long)last;
        if (iA > iB) return;
    }
    const i128 t = i128(e0) + i128(iA) * dm;
    const long long c = (long long)floorDiv(t + D - 1, D);
    long long e = (long long)(t - i128(c) * D);
    const long long mx = m0 + sM * iA, nx = n0 + sN * c;
    const long long px0 = yMajor ? nx : mx, py0 = yMajor ? mx : nx;
    std::uint8_t* p = data_.get() + std::size_t(py0) * pitch_ + 1 + std::size_t(px0) * Bpp;
    auto put = [&px](std::uint8_t* q) {
        q[0] = px.v[0];
        if (Bpp == 3) {
            q[1] = px.v[1];
            q[2] = px.v[2];
        }
    };
    put(p);
    for (long long k = iA; k < iB; ++k) {
        p += majStep;
        e += dm;
        if (e > 0) {
            p += minStep;
            e -= D;
        }
        put(p);
    }
}

void RasterPage::fillRect(int x1, int y1, int x2, int y2, int value)
{
    if (!data_ || y1 > y2 || x1 > x2) return;
    const Pixel px = pixelOf(value);
    const int ya = std::max(y1, 0), yb = std::min(y2, h_ - 1);
    for (int y = ya; y <= yb; ++y) {
        if (bpp_ == 1)
            span<1>(y, x1, x2, px);
        else
            span<3>(y, x1, x2, px);
    }
}

void RasterPage::fillPolygon(const int* x, const int* y, int n)
{
    if (!data_ || n < 3) return;
    int ymin = y[0], ymax = y[0];
    for (int i = 1; i < n; ++i) {
        ymin = std::min(ymin, y[i]);
        ymax = std::max(ymax, y[i]);
    }
    ymin = std::max(ymin, 0);
    ymax = std::min(ymax, h_ - 1);
    std::vector<double> xs;
    for (int row = ymin; row <= ymax; ++row) {
        // Crossings with the scan line through the pixel centres.
        const double yc = row + 0.5;
        xs.clear();
        for (int i = 0, j = n - 1; i < n; j = i++) {
            const double ya = y[j], yb = y[i];
            if ((ya <= yc && yc < yb) || (yb <= yc && yc < ya))
                xs.push_back(x[j] + (yc - ya) * (double(x[i]) - x[j]) / (yb - ya));
        }
        std::sort(xs.begin(), xs.end());
        for (std::size_t k = 0; k + 1 < xs.size(); k += 2) {
            const double a = std::clamp(std::ceil(xs[k] - 0.5), -1.0, double(w_));
            const double b = std::clamp(std::floor(xs[k + 1] - 0.5), -1.0, double(w_));
            if (bpp_ == 1)
                span<1>(row, int(a), int(b), cur_);
            else
                span<3>(row, int(a), int(b), cur_);
        }
    }
}

// ---- the image device ------------------------------------------------------

namespace {

// Device coordinates arrive as whole-numbered floats; anything beyond the
// int range (or not a number) is pinned so the conversion stays defined.
inline int pixel(float v)
{
    constexpr float lo = -2147483520.0f, hi = 2147483520.0f;
    if (!(v >= lo)) return int(lo);
    if (v > hi) return int(hi);
    return int(v);
}

class RasterWriter final : public Device {
public:

    bool open(DeviceContext& dc) override
    {
        const bool trueColour = dc.devcode == 605; // PPM is always RGB
        const int w = dc.devRect.w, h = dc.devRect.h;
        if (!page_.init(w, h, trueColour, dc.bgmode)) {
            raiseFailure(
                53, {}, "no memory for a page of " + std::to_string(w) + " x " + std::to_string(h) + " pixels");
            return false;
        }
        if (trueColour) dc.colourDepth = 24;
        return true;
    }

    void vectors(DeviceContext&, const DevVec* v, int n) override
    {
        for (int i = 0; i < n; ++i) {
            const int x = pixel(v[i].x), y = pixel(v[i].y);
            if (v[i].pen == 2)
                page_.lineTo(x, y);
            else
                page_.moveTo(x, y);
        }
    }

    void colour(DeviceContext&, int value, Rgb) override { page_.setColour(value); }

    void polygon(DeviceContext&, const DevVec* pts, int n) override
    {
        xs_.resize(std::size_t(std::max(n, 0)));
        ys_.resize(xs_.size());
        for (int i = 0; i < n; ++i) {
            xs_[std::size_t(i)] = pixel(pts[i].x);
            ys_[std::size_t(i)] = pixel(pts[i].y);
        }
        page_.fillPolygon(xs_.data(), ys_.data(), n);
    }

    void rect(DeviceContext&, float x1, float y1, float x2, float y2, int value, Rgb) override
    {
        page_.fillRect(pixel(x1), pixel(y1), pixel(x2), pixel(y2), value);
    }

    // The raster page has no hardware fonts: the core sets text in its
    // stroke fonts, which arrive here as vectors.
    void character(DeviceContext&, int, float, float, float, const CharParams&) override { }
    void font(DeviceContext&, const char*, float, int, bool) override { }

    void palette(DeviceContext&, const std::uint32_t* table) override { page_.setPalette(table); }
    void box(DeviceContext&, int x1, int y1, int x2, int y2) override { page_.setClip(x1, y1, x2, y2); }
    void erase(DeviceContext&) override { page_.erase(); }

    void finish(DeviceContext& dc) override
    {
        const PngStatus status = writePng(*dc.out, page_, packed_);
        page_.release();
        switch (status) {
        case PngStatus::Ok:
            break;
        case PngStatus::FileError:
            raiseFailure(36, {}, dc.out->error());
            break;
        case PngStatus::NoMemory:
            raiseFailure(53, {}, "no memory for the compressed image");
            break;
        case PngStatus::DeflateError:
            raiseFailure(101, "ZLIB error", {});
            break;
        }
    }

private:
    RasterPage page_;
    std::vector<std::uint8_t> packed_; // compressed image data, kept between plots
    std::vector<int> xs_, ys_;
};

} // namespace

std::unique_ptr<Device> createRasterWriter()
{
    return std::make_unique<RasterWriter>();
}

} // namespace zedozo
