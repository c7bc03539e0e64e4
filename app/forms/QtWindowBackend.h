#pragma once
// The screen window on Qt Widgets: a top-level widget that paints itself
// from a QImage of its client size, into which all drawing goes.
//
// Needs a QApplication on the calling thread. Create the backend after the
// QApplication and install it with zedozo::setWindowBackend(); remove it
// (setWindowBackend(nullptr)) before the backend is destroyed. Destroying the
// backend also deletes the widgets of any windows still alive, so it must
// happen before the QApplication goes.

#include "engine/output/WindowBackend.h"

#include <QElapsedTimer>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QWidget>

#include <optional>
#include <vector>

class QMenu;
class QRubberBand;

namespace zedozo {

class QtWindowBackend;
class QtBackendWindow;

// What the user asks of a finished plot in the screen window, in values of
// its x axis (hours for a light curve). The desktop installs one on the
// backend (setListener); every window made afterwards reports to it.
class ScreenWindowListener {
public:
    virtual ~ScreenWindowListener() = default;
    // A drag with the left button from one axis value to another (from < to).
    virtual void spanChosen(double from, double to) = 0;
    // The wheel turned by `steps` notches (positive: away from the user)
    // with the pointer over the axis value `at`.
    virtual void wheelTurned(double at, int steps) = 0;
    // Left (-1) or Right (+1) arrow key.
    virtual void stepped(int direction) = 0;
    // Escape or a double click.
    virtual void wholeFileAsked() = 0;
    // Fills the right-click menu; an empty menu is not shown.
    virtual void fillMenu(QMenu& menu) = 0;
};

// A drag narrower than this is a click.
inline constexpr int kMinimumDragPixels = 5;

// The top-level widget; paints the image of its owner.
class QtScreenWidget final : public QWidget {
public:
    explicit QtScreenWidget(QtBackendWindow* owner);
    void detach() { owner_ = nullptr; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    ScreenWindowListener* listener() const;
    // The axis value at a pixel column, held inside the axis.
    double valueAt(const WindowAxis& axis, double x) const;
    int clampToAxis(const WindowAxis& axis, int x) const;

    friend class QtWindowBackend;
    QtBackendWindow* owner_;
    QPointer<QWidget> handBackTo_; // had the keyboard when this window was shown
    QElapsedTimer shown_;
    QRubberBand* band_ = nullptr;
    std::optional<int> dragStart_; // pixel column where a drag began
    int wheelRest_ = 0;            // eighths of a degree short of a notch
};

class QtBackendWindow final : public BackendWindow {
public:
    ~QtBackendWindow() override;

    int clientWidth() const override;
    int clientHeight() const override;
    bool createImage(int width, int height, std::uint32_t fill) override;
    int imageWidth() const override { return image_.width(); }
    int imageHeight() const override { return image_.height(); }
    void setColour(std::uint32_t rgb) override;
    void polyline(const PixelPoint* points, int n) override;
    void setPixel(int x, int y) override;
    void fillRect(int x, int y, int width, int height, std::uint32_t rgb) override;
    void fillPolygon(const PixelPoint* points, int n) override;
    bool selectFont(const WindowFontRequest& request) override;
    double advanceWidth(char32_t ch) const override;
    int fontLeading() const override { return leading_; }
    void drawChar(int x, int y, char32_t ch) override;
    void present() override;
    void setTitle(const std::string& title) override;
    std::string title() const override;
    void setCloseEnabled(bool enabled) override { closeEnabled_ = enabled; }
    bool isOpen() const override { return open_; }
    WindowInput takeInput() override;
    void setAxis(const WindowAxis& axis) override { axis_ = axis; }

    // The x axis of the plot in the image; none before graf drew one.
    const std::optional<WindowAxis>& axis() const { return axis_; }

    // The off-screen image, with every drawing call so far in it.
    const QImage& image();
    QWidget* widget() const { return widget_; }

private:
    friend class QtWindowBackend;
    friend class QtScreenWidget;
    QtBackendWindow(QtWindowBackend* backend, QtScreenWidget* widget);
    QPainter* painter();
    void endPainting();
    void paintInto(QPainter& p);
    bool userClose(); // false while closing is disabled
    void addInput(WindowInput input);
    void dropWidget();

    QtWindowBackend* backend_;
    QPointer<QtScreenWidget> widget_;
    QImage image_;
    QPainter painter_;
    QColor colour_ {Qt::white};
    std::vector<QPoint> points_;
    bool hasFont_ = false;
    QFont font_;
    int escapement_ = 0;
    double ascent_ = 0;
    int leading_ = 0;
    bool closeEnabled_ = true;
    bool open_ = true;
    std::vector<WindowInput> inputs_;
    std::optional<WindowAxis> axis_;
};

class QtWindowBackend final : public WindowBackend {
public:
    QtWindowBackend();
    ~QtWindowBackend() override;

    bool desktop(DesktopInfo& info) override;
    std::unique_ptr<BackendWindow> createWindow(
        int x, int y, int clientWidth, int clientHeight, const std::string& title) override;
    bool dispatchEvents() override;
    std::string lastError() const override { return error_; }

    // Windows alive now, oldest first (for screenshots and tests).
    const std::vector<QtBackendWindow*>& windows() const { return live_; }

    // Who hears the user's zoom, keys and menu; null: nobody.
    void setListener(ScreenWindowListener* listener) { listener_ = listener; }
    ScreenWindowListener* listener() const { return listener_; }
    // A drag over a window is in progress (a re-plot would end it).
    bool dragging() const;

private:
    friend class QtBackendWindow;
    friend class QtScreenWidget;
    std::vector<QtBackendWindow*> live_;
    ScreenWindowListener* listener_ = nullptr;
    bool activateNext_ = false; // the window just destroyed was the active one
    long long paints_ = 0;
    std::string error_;
};

} // namespace zedozo
