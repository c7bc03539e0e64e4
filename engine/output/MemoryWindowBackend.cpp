#include "engine/output/MemoryWindowBackend.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace zedozo {

MemoryWindow::MemoryWindow(MemoryWindowBackend* backend, int id, int x, int y, int w, int h)
    : backend_(backend), id_(id), x_(x), y_(y), clientW_(w), clientH_(h) {}

MemoryWindow::~MemoryWindow() {
    if (!backend_) return;
    auto& live = backend_->live_;
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
    backend_->log_.push_back("destroy " + std::to_string(id_));
}

bool MemoryWindow::createImage(int width, int height, std::uint32_t fill) {
    pixels_.clear();
    imageW_ = imageH_ = 0;
    if (width <= 0 || height <= 0 || (backend_ && backend_->failImages_)) return false;
    try {
        pixels_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                       fill & 0xFFFFFFu);
    } catch (const std::bad_alloc&) {
        return false;
    }
    imageW_ = width;
    imageH_ = height;
    return true;
}

void MemoryWindow::plot(int x, int y, std::uint32_t rgb) {
    if (x < 0 || y < 0 || x >= imageW_ || y >= imageH_) return;
    pixels_[static_cast<std::size_t>(y) * imageW_ + x] = rgb;
}

// Integer line with both ends set.
void MemoryWindow::line(int x1, int y1, int x2, int y2) {
    int dx = std::abs(x2 - x1), dy = -std::abs(y2 - y1);
    int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        plot(x1, y1, colour_);
        if (x1 == x2 && y1 == y2) break;
        int e2 = 2 * err;
        if (e2 >= dy) { err += dy; x1 += sx; }
        if (e2 <= dx) { err += dx; y1 += sy; }
    }
}

void MemoryWindow::polyline(const PixelPoint* points, int n) {
    if (n < 1) return;
    polylines_.emplace_back(points, points + n);
    for (int i = 1; i < n; ++i) line(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y);
}

void MemoryWindow::setPixel(int x, int y) {
    ++pixelCalls_;
    plot(x, y, colour_);
}

void MemoryWindow::fillRect(int x, int y, int width, int height, std::uint32_t rgb) {
    ++rectCalls_;
    int x2 = std::min(x + width, imageW_), y2 = std::min(y + height, imageH_);
    for (int r = std::max(y, 0); r < y2; ++r)
        for (int c = std::max(x, 0); c < x2; ++c) pixels_[static_cast<std::size_t>(r) * imageW_ + c] = rgb & 0xFFFFFFu;
}

// Even-odd fill of the pixels whose centres lie inside, then the outline.
void MemoryWindow::fillPolygon(const PixelPoint* points, int n) {
    ++polygonCalls_;
    if (n < 2) return;
    int top = points[0].y, bottom = points[0].y;
    for (int i = 1; i < n; ++i) {
        top = std::min(top, points[i].y);
        bottom = std::max(bottom, points[i].y);
    }
    std::vector<double> xs;
    for (int r = std::max(top, 0); r <= std::min(bottom, imageH_ - 1); ++r) {
        double cy = r + 0.5;
        xs.clear();
        for (int i = 0; i < n; ++i) {
            const PixelPoint& a = points[i];
            const PixelPoint& b = points[(i + 1) % n];
            if ((a.y <= cy) != (b.y <= cy))
                xs.push_back(a.x + (cy - a.y) * (b.x - a.x) / double(b.y - a.y));
        }
        std::sort(xs.begin(), xs.end());
        for (std::size_t k = 0; k + 1 < xs.size(); k += 2)
            for (int c = std::max(0, int(xs[k] + 0.5 - 1e-9)); c < imageW_ && c + 0.5 < xs[k + 1]; ++c)
                if (c + 0.5 >= xs[k]) plot(c, r, colour_);
    }
    for (int i = 0; i < n; ++i) {
        const PixelPoint& a = points[i];
        const PixelPoint& b = points[(i + 1) % n];
        line(a.x, a.y, b.x, b.y);
    }
}

bool MemoryWindow::selectFont(const WindowFontRequest& request) {
    if (request.cellHeight <= 0 || request.face.empty()) return false;
    font_ = request;
    hasFont_ = true;
    ++fontSelections_;
    return true;
}

// Fixed metrics: blanks a quarter, digits and lower case about half, capitals
// seven tenths of the cell height.
double MemoryWindow::advanceWidth(char32_t ch) const {
    if (!hasFont_) return 0.0;
    double h = font_.cellHeight;
    if (ch == U' ') return h * 0.25;
    if (ch >= U'0' && ch <= U'9') return h * 0.5;
    if (ch >= U'A' && ch <= U'Z') return h * 0.7;
    return h * 0.45;
}

int MemoryWindow::fontLeading() const { return hasFont_ ? font_.cellHeight / 8 : 0; }

void MemoryWindow::drawChar(int x, int y, char32_t ch) {
    if (!hasFont_) return;
    chars_.push_back({x, y, ch, font_.escapement, colour_, font_.cellHeight});
}

void MemoryWindow::setTitle(const std::string& title) {
    title_ = title;
    titles_.push_back(title);
    if (backend_) backend_->log_.push_back("title " + std::to_string(id_) + " " + title);
}

bool MemoryWindow::userClose() {
    if (!open_ || !closeEnabled_) return false;
    open_ = false;
    if (backend_) backend_->log_.push_back("close " + std::to_string(id_));
    return true;
}

WindowInput MemoryWindow::takeInput() {
    if (inputs_.empty()) return WindowInput::None;
    WindowInput in = inputs_.front();
    inputs_.erase(inputs_.begin());
    return in;
}

std::uint32_t MemoryWindow::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= imageW_ || y >= imageH_) return 0xFFFFFFFFu;
    return pixels_[static_cast<std::size_t>(y) * imageW_ + x];
}

int MemoryWindow::countPixels(std::uint32_t rgb) const {
    return static_cast<int>(std::count(pixels_.begin(), pixels_.end(), rgb & 0xFFFFFFu));
}

MemoryWindowBackend::MemoryWindowBackend() = default;

MemoryWindowBackend::~MemoryWindowBackend() {
    for (MemoryWindow* w : live_) w->backend_ = nullptr;
}

bool MemoryWindowBackend::desktop(DesktopInfo& info) {
    if (!hasDisplay_) {
        error_ = "No display";
        return false;
    }
    info = desktop_;
    return true;
}

std::unique_ptr<BackendWindow> MemoryWindowBackend::createWindow(int x, int y, int clientWidth,
                                                                 int clientHeight,
                                                                 const std::string& title) {
    if (!hasDisplay_ || failWindow_) {
        failWindow_ = false;
        error_ = hasDisplay_ ? "Cannot create window" : "No display";
        return nullptr;
    }
    ++created_;
    std::unique_ptr<MemoryWindow> w(new MemoryWindow(this, created_, x, y, clientWidth, clientHeight));
    log_.push_back("create " + std::to_string(created_) + " " + std::to_string(x) + " " +
                   std::to_string(y) + " " + std::to_string(clientWidth) + " " +
                   std::to_string(clientHeight));
    live_.push_back(w.get());
    w->setTitle(title);
    return w;
}

bool MemoryWindowBackend::dispatchEvents() {
    ++dispatches_;
    return hook_ ? hook_() : false;
}

}  // namespace zedozo
