#pragma once
// A window backend without a display: every window is a plain 0xRRGGBB pixel
// buffer, fonts have fixed metrics, and titles, window lifetimes and drawing
// calls are recorded so that tests can look at them.

#include "engine/output/WindowBackend.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zedozo {

class MemoryWindowBackend;

struct MemoryChar {
    int x = 0;
    int y = 0;
    char32_t ch = 0;
    int escapement = 0;
    std::uint32_t colour = 0;
    int cellHeight = 0;
};

class MemoryWindow final : public BackendWindow {
public:
    ~MemoryWindow() override;

    int clientWidth() const override { return clientW_; }
    int clientHeight() const override { return clientH_; }
    bool createImage(int width, int height, std::uint32_t fill) override;
    int imageWidth() const override { return imageW_; }
    int imageHeight() const override { return imageH_; }
    void setColour(std::uint32_t rgb) override { colour_ = rgb & 0xFFFFFFu; }
    void polyline(const PixelPoint* points, int n) override;
    void setPixel(int x, int y) override;
    void fillRect(int x, int y, int width, int height, std::uint32_t rgb) override;
    void fillPolygon(const PixelPoint* points, int n) override;
    bool selectFont(const WindowFontRequest& request) override;
    double advanceWidth(char32_t ch) const override;
    int fontLeading() const override;
    void drawChar(int x, int y, char32_t ch) override;
    void present() override { ++presents_; }
    void setTitle(const std::string& title) override;
    std::string title() const override { return title_; }
    void setCloseEnabled(bool enabled) override { closeEnabled_ = enabled; }
    bool isOpen() const override { return open_; }
    WindowInput takeInput() override;

    // The user clicks the window's close button; refused (false) while
    // closing is disabled.
    bool userClose();
    // The user clicks or presses a key on the window.
    void userInput(WindowInput input) { inputs_.push_back(input); }

    int id() const { return id_; }
    int x() const { return x_; }
    int y() const { return y_; }
    bool closeEnabled() const { return closeEnabled_; }
    // Pixel of the image (0xRRGGBB); 0xFFFFFFFF outside it or without image.
    std::uint32_t pixel(int x, int y) const;
    int countPixels(std::uint32_t rgb) const;
    std::uint32_t colour() const { return colour_; }
    const std::vector<std::string>& titles() const { return titles_; }
    const std::vector<std::vector<PixelPoint>>& polylines() const { return polylines_; }
    int pixelCalls() const { return pixelCalls_; }
    int rectCalls() const { return rectCalls_; }
    int polygonCalls() const { return polygonCalls_; }
    int presents() const { return presents_; }
    const std::vector<MemoryChar>& chars() const { return chars_; }
    const WindowFontRequest& font() const { return font_; }
    int fontSelections() const { return fontSelections_; }

private:
    friend class MemoryWindowBackend;
    MemoryWindow(MemoryWindowBackend* backend, int id, int x, int y, int w, int h);
    void plot(int x, int y, std::uint32_t rgb);
    void line(int x1, int y1, int x2, int y2);

    MemoryWindowBackend* backend_;
    int id_;
    int x_, y_, clientW_, clientH_;
    int imageW_ = 0, imageH_ = 0;
    std::vector<std::uint32_t> pixels_;
    std::uint32_t colour_ = 0xFFFFFF;
    std::string title_;
    std::vector<std::string> titles_;
    bool closeEnabled_ = true;
    bool open_ = true;
    std::vector<std::vector<PixelPoint>> polylines_;
    int pixelCalls_ = 0, rectCalls_ = 0, polygonCalls_ = 0, presents_ = 0;
    WindowFontRequest font_;
    bool hasFont_ = false;
    int fontSelections_ = 0;
    std::vector<MemoryChar> chars_;
    std::vector<WindowInput> inputs_;
};

class MemoryWindowBackend final : public WindowBackend {
public:
    MemoryWindowBackend();
    ~MemoryWindowBackend() override;

    bool desktop(DesktopInfo& info) override;
    std::unique_ptr<BackendWindow> createWindow(int x, int y, int clientWidth, int clientHeight,
                                                const std::string& title) override;
    bool dispatchEvents() override;
    std::string lastError() const override { return error_; }

    // Test controls.
    void setDesktop(const DesktopInfo& info) { desktop_ = info; hasDisplay_ = true; }
    void setNoDisplay() { hasDisplay_ = false; }
    void failNextWindow() { failWindow_ = true; }
    void setImagesFail(bool fail) { failImages_ = fail; }
    // Run by dispatchEvents() as the "waiting events"; its result tells
    // whether a window repainted meanwhile.
    void setEventHook(std::function<bool()> hook) { hook_ = std::move(hook); }

    // Windows alive now, oldest first.
    const std::vector<MemoryWindow*>& windows() const { return live_; }
    MemoryWindow* window() const { return live_.empty() ? nullptr : live_.back(); }
    int windowsCreated() const { return created_; }
    int dispatches() const { return dispatches_; }
    // Lifetime events in order: "create <id> x y w h", "destroy <id>",
    // "title <id> <text>", "close <id>".
    const std::vector<std::string>& log() const { return log_; }

private:
    friend class MemoryWindow;
    DesktopInfo desktop_{1280, 1024, 32};
    bool hasDisplay_ = true;
    bool failWindow_ = false;
    bool failImages_ = false;
    std::function<bool()> hook_;
    std::vector<MemoryWindow*> live_;
    int created_ = 0;
    int dispatches_ = 0;
    std::vector<std::string> log_;
    std::string error_;
};

}  // namespace zedozo
