#pragma once
// Reads a plotted page as pixels: where the axis frame is and where the
// red, green and blue curve pixels lie, on any rendering of the page (PNG,
// PDF or EPS rendered by their own tools, the screen window's image).

#include <gtest/gtest.h>

#include <QImage>
#include <QRect>

#include <algorithm>
#include <cstdint>
#include <functional>

namespace pagecheck {

inline bool dark(QRgb p)
{
    return qRed(p) < 90 && qGreen(p) < 90 && qBlue(p) < 90;
}
inline bool white(QRgb p)
{
    return qRed(p) > 230 && qGreen(p) > 230 && qBlue(p) > 230;
}
inline bool red(QRgb p)
{
    return qRed(p) >= 160 && qGreen(p) <= 90 && qBlue(p) <= 90;
}
inline bool green(QRgb p)
{
    return qGreen(p) >= 160 && qRed(p) <= 90 && qBlue(p) <= 90;
}
inline bool blue(QRgb p)
{
    return qBlue(p) >= 160 && qRed(p) <= 90 && qGreen(p) <= 90;
}

struct Page {
    int width = 0;
    int height = 0;
    bool frameFound = false;
    QRect frame; // outer edges of the axis frame's lines
    int redInside = 0, greenInside = 0, blueInside = 0;
    int colouredOutside = 0; // red, green or blue pixels outside the frame
    int whitePixels = 0;
    int darkPixels = 0;
};

// The axis frame: the dark lines spanning 40 to 90 per cent of the picture
// (the page border spans all of it, ticks and text much less); curve pixels
// on it do not break a line. Coloured pixels within `margin` of the frame
// count as inside (a stroke at the clip edge reaches past it).
inline Page analyse(const QImage& source, int margin = 0)
{
    const QImage img = source.convertToFormat(QImage::Format_RGB32);
    Page page;
    page.width = img.width();
    page.height = img.height();
    auto longestRun = [&](int count, const std::function<QRgb(int)>& at) {
        int best = 0, run = 0;
        for (int i = 0; i < count; ++i) {
            const QRgb p = at(i);
            if (dark(p))
                ++run;
            else if (!(red(p) || green(p) || blue(p)))
                run = 0;
            best = std::max(best, run);
        }
        return best;
    };
    int top = -1, bottom = -1, left = -1, right = -1;
    for (int y = 0; y < page.height; ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        const int run = longestRun(page.width, [&](int x) { return row[x]; });
        if (run >= page.width * 4 / 10 && run <= page.width * 9 / 10) {
            if (top < 0)
                top = y;
            bottom = y;
        }
    }
    for (int x = 0; x < page.width; ++x) {
        const int run = longestRun(page.height, [&](int y) { return img.pixel(x, y); });
        if (run >= page.height * 4 / 10 && run <= page.height * 9 / 10) {
            if (left < 0)
                left = x;
            right = x;
        }
    }
    page.frameFound = top >= 0 && left >= 0 && bottom > top && right > left;
    if (page.frameFound)
        page.frame = QRect(QPoint(left, top), QPoint(right, bottom));
    for (int y = 0; y < page.height; ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < page.width; ++x) {
            const QRgb p = row[x];
            if (white(p))
                ++page.whitePixels;
            if (dark(p))
                ++page.darkPixels;
            const bool r = red(p), g = green(p), b = blue(p);
            if (!(r || g || b))
                continue;
            if (page.frameFound && page.frame.adjusted(-margin, -margin, margin, margin).contains(x, y)) {
                page.redInside += r;
                page.greenInside += g;
                page.blueInside += b;
            } else {
                ++page.colouredOutside;
            }
        }
    }
    return page;
}

// A page with white paper, an axis frame, at least `minimum` pixels of each
// curve inside it and none outside.
inline void expectPlottedPage(const QImage& image, const char* what, int margin = 0, int minimum = 100)
{
    ASSERT_FALSE(image.isNull()) << what;
    const Page p = analyse(image, margin);
    ASSERT_TRUE(p.frameFound) << what;
    EXPECT_GT(p.whitePixels, p.width * p.height * 6 / 10) << what << ": white paper";
    EXPECT_GT(p.redInside, minimum) << what;
    EXPECT_GT(p.greenInside, minimum) << what;
    EXPECT_GT(p.blueInside, minimum) << what;
    EXPECT_EQ(p.colouredOutside, 0) << what << ": curve pixels outside the axis frame";
}

} // namespace pagecheck
