#include "app/forms/QtWindowBackend.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QRubberBand>
#include <QScreen>
#include <QThread>
#include <QTransform>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace zedozo {

// ---- widget -------------------------------------------------------------------

// A tool window: Qt closes every open drop-down and menu when a normal
// window is shown, and auto-plot shows a new one every second. The hints
// keep the frame of a normal window.
QtScreenWidget::QtScreenWidget(QtBackendWindow* owner)
    : QWidget(nullptr,
        Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
            | Qt::WindowCloseButtonHint),
      owner_(owner)
{
    // The plot window must not keep the program running, nor end it when the
    // user closes it.
    setAttribute(Qt::WA_QuitOnClose, false);
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    setFocusPolicy(Qt::ClickFocus);
}

void QtScreenWidget::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    // Whatever the image does not cover (a window the user enlarged).
    p.fillRect(event->rect(), Qt::black);
    if (owner_) owner_->paintInto(p);
}

void QtScreenWidget::closeEvent(QCloseEvent* event)
{
    if (owner_ && !owner_->userClose()) {
        event->ignore();
        return;
    }
    event->accept();
}

ScreenWindowListener* QtScreenWidget::listener() const
{
    return owner_ && owner_->backend_ ? owner_->backend_->listener_ : nullptr;
}

int QtScreenWidget::clampToAxis(const WindowAxis& axis, int x) const
{
    return std::clamp(x, std::min(axis.left, axis.right), std::max(axis.left, axis.right));
}

double QtScreenWidget::valueAt(const WindowAxis& axis, double x) const
{
    if (axis.right == axis.left) return axis.from;
    const double at = std::clamp(x, double(std::min(axis.left, axis.right)), double(std::max(axis.left, axis.right)));
    return axis.from + (at - axis.left) * (axis.to - axis.from) / double(axis.right - axis.left);
}

void QtScreenWidget::changeEvent(QEvent* event)
{
    // Some platforms activate every window they show (offscreen, window
    // managers without focus-stealing prevention): give it back once. Later
    // the user may have activated the window through its frame.
    constexpr qint64 kPlatformActivationMs = 500;
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && handBackTo_
        && shown_.elapsed() < kPlatformActivationMs) {
        QPointer<QWidget> to = handBackTo_;
        handBackTo_ = nullptr;
        if (to->isVisible()) to->activateWindow();
    }
    QWidget::changeEvent(event);
}

void QtScreenWidget::mousePressEvent(QMouseEvent* event)
{
    // A click gives the window the keyboard, for the arrows and Escape.
    handBackTo_ = nullptr;
    activateWindow();
    setFocus(Qt::MouseFocusReason);
    const std::optional<WindowAxis> axis = owner_ ? owner_->axis() : std::nullopt;
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::LeftButton && axis && listener() && p.y() >= axis->top && p.y() <= axis->bottom
        && p.x() >= std::min(axis->left, axis->right) && p.x() <= std::max(axis->left, axis->right)) {
        dragStart_ = p.x();
        if (!band_) band_ = new QRubberBand(QRubberBand::Rectangle, this);
        band_->setGeometry(QRect(p.x(), axis->top, 1, axis->bottom - axis->top + 1));
        band_->show();
    }
    QWidget::mousePressEvent(event);
}

void QtScreenWidget::mouseMoveEvent(QMouseEvent* event)
{
    const std::optional<WindowAxis> axis = owner_ ? owner_->axis() : std::nullopt;
    if (dragStart_ && axis && band_) {
        const int x = clampToAxis(*axis, event->position().toPoint().x());
        band_->setGeometry(
            QRect(QPoint(std::min(x, *dragStart_), axis->top), QPoint(std::max(x, *dragStart_), axis->bottom)));
    }
    QWidget::mouseMoveEvent(event);
}

void QtScreenWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (owner_ && event->button() == Qt::RightButton) {
        owner_->addInput(WindowInput::RightButton);
        if (ScreenWindowListener* l = listener()) {
            // Not a child of this window: a re-plot replaces the window
            // while the menu is open.
            auto* menu = new QMenu;
            menu->setAttribute(Qt::WA_DeleteOnClose);
            l->fillMenu(*menu);
            if (menu->isEmpty())
                delete menu;
            else
                menu->popup(event->globalPosition().toPoint());
        }
    }
    if (event->button() == Qt::LeftButton && dragStart_) {
        const int start = *dragStart_;
        dragStart_.reset();
        if (band_) band_->hide();
        const std::optional<WindowAxis> axis = owner_ ? owner_->axis() : std::nullopt;
        ScreenWindowListener* l = listener();
        if (axis && l) {
            const int end = clampToAxis(*axis, event->position().toPoint().x());
            if (std::abs(end - start) >= kMinimumDragPixels) {
                const double a = valueAt(*axis, start), b = valueAt(*axis, end);
                l->spanChosen(std::min(a, b), std::max(a, b));
                return; // the listener may replace this window
            }
        }
    }
    QWidget::mouseReleaseEvent(event);
}

void QtScreenWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        if (ScreenWindowListener* l = listener()) {
            l->wholeFileAsked();
            return;
        }
    }
    QWidget::mouseDoubleClickEvent(event);
}

void QtScreenWidget::wheelEvent(QWheelEvent* event)
{
    const std::optional<WindowAxis> axis = owner_ ? owner_->axis() : std::nullopt;
    ScreenWindowListener* l = listener();
    if (!axis || !l) {
        QWidget::wheelEvent(event);
        return;
    }
    event->accept();
    // A notch is 120 eighths of a degree; fine wheels send parts of one.
    wheelRest_ += event->angleDelta().y();
    const int steps = wheelRest_ / 120;
    wheelRest_ -= steps * 120;
    if (steps != 0) l->wheelTurned(valueAt(*axis, event->position().x()), steps);
}

void QtScreenWidget::keyPressEvent(QKeyEvent* event)
{
    if (owner_) {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            owner_->addInput(WindowInput::Return);
            return;
        }
        if (event->key() == Qt::Key_Escape) {
            owner_->addInput(WindowInput::Escape);
            if (ScreenWindowListener* l = listener()) l->wholeFileAsked();
            return;
        }
        ScreenWindowListener* l = listener();
        if (l && (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right)) {
            l->stepped(event->key() == Qt::Key_Left ? -1 : 1);
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

// ---- window -------------------------------------------------------------------

QtBackendWindow::QtBackendWindow(QtWindowBackend* backend, QtScreenWidget* widget) : backend_(backend), widget_(widget)
{
    points_.reserve(64);
}

QtBackendWindow::~QtBackendWindow()
{
    endPainting();
    if (backend_) {
        auto& live = backend_->live_;
        live.erase(std::remove(live.begin(), live.end(), this), live.end());
    }
    dropWidget();
}

void QtBackendWindow::dropWidget()
{
    if (widget_) {
        // The user was working in this window: its successor takes over.
        if (backend_ && widget_->isActiveWindow()) backend_->activateNext_ = true;
        widget_->detach();
        widget_->hide();
        delete widget_.data();
    }
    widget_ = nullptr;
}

int QtBackendWindow::clientWidth() const
{
    return widget_ ? widget_->width() : 0;
}
int QtBackendWindow::clientHeight() const
{
    return widget_ ? widget_->height() : 0;
}

// The painter stays open across drawing calls (one begin per batch of
// drawing, not per polyline) and is closed before the image is shown.
QPainter* QtBackendWindow::painter()
{
    if (image_.isNull()) return nullptr;
    if (!painter_.isActive()) {
        if (!painter_.begin(&image_)) return nullptr;
        painter_.setRenderHint(QPainter::Antialiasing, false);
        QPen pen(colour_);
        pen.setWidth(1);
        pen.setCosmetic(true);
        painter_.setPen(pen);
        painter_.setBrush(Qt::NoBrush);
        if (hasFont_) painter_.setFont(font_);
    }
    return &painter_;
}

void QtBackendWindow::endPainting()
{
    if (painter_.isActive()) painter_.end();
}

bool QtBackendWindow::createImage(int width, int height, std::uint32_t fill)
{
    endPainting();
    image_ = QImage();
    if (width <= 0 || height <= 0) return false;
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull()) return false;
    image.fill(QColor::fromRgb(fill & 0xFFFFFFu));
    image_ = std::move(image);
    return true;
}

void QtBackendWindow::setColour(std::uint32_t rgb)
{
    colour_ = QColor::fromRgb(rgb & 0xFFFFFFu);
    if (painter_.isActive()) {
        QPen pen(colour_);
        pen.setWidth(1);
        pen.setCosmetic(true);
        painter_.setPen(pen);
    }
}

// Solid one-pixel lines go straight into the image's rows: a full-day curve
// is a million short segments, too many for a painter call each.
void QtBackendWindow::polyline(const PixelPoint* points, int n)
{
    if (n < 2 || image_.isNull()) return;
    uchar* bits = image_.bits();
    const qsizetype stride = image_.bytesPerLine();
    const int w = image_.width(), h = image_.height();
    const QRgb c = 0xFF000000u | (colour_.rgb() & 0xFFFFFFu);
    auto plot = [&](int x, int y) {
        if (static_cast<unsigned>(x) < static_cast<unsigned>(w) && static_cast<unsigned>(y) < static_cast<unsigned>(h))
            reinterpret_cast<QRgb*>(bits + y * stride)[x] = c;
    };
    for (int i = 1; i < n; ++i) {
        int x0 = points[i - 1].x, y0 = points[i - 1].y;
        const int x1 = points[i].x, y1 = points[i].y;
        const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
        const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
        int err = dx + dy;
        for (;;) {
            plot(x0, y0);
            if (x0 == x1 && y0 == y1) break;
            const int e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x0 += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y0 += sy;
            }
        }
    }
}

void QtBackendWindow::setPixel(int x, int y)
{
    if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height()) return;
    reinterpret_cast<QRgb*>(image_.scanLine(y))[x] = 0xFF000000u | (colour_.rgb() & 0xFFFFFFu);
}

void QtBackendWindow::fillRect(int x, int y, int width, int height, std::uint32_t rgb)
{
    if (width <= 0 || height <= 0) return;
    if (QPainter* p = painter()) p->fillRect(QRect(x, y, width, height), QColor::fromRgb(rgb & 0xFFFFFFu));
}

void QtBackendWindow::fillPolygon(const PixelPoint* points, int n)
{
    if (n < 2) return;
    QPainter* p = painter();
    if (!p) return;
    points_.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) points_[i] = QPoint(points[i].x, points[i].y);
    p->setBrush(colour_);
    p->drawPolygon(points_.data(), n, Qt::OddEvenFill);
    p->setBrush(Qt::NoBrush);
}

bool QtBackendWindow::selectFont(const WindowFontRequest& request)
{
    if (request.cellHeight <= 0 || request.face.empty()) return false;
    QFont font(QString::fromStdString(request.face));
    font.setWeight(request.weight >= 700 ? QFont::Bold : QFont::Normal);
    font.setItalic(request.italic);
    font.setPixelSize(request.cellHeight);
    // The request is for the whole cell (ascent + descent, as the original
    // window system takes a positive height); Qt sizes the em, so scale.
    QFontMetricsF probe(font);
    double cell = probe.ascent() + probe.descent();
    if (cell > 0) {
        int em = std::max(1, static_cast<int>(std::lround(request.cellHeight * request.cellHeight / cell)));
        font.setPixelSize(em);
    }
    QFontMetricsF fm(font);
    font_ = font;
    hasFont_ = true;
    escapement_ = request.escapement;
    ascent_ = fm.ascent();
    int internal = static_cast<int>(std::lround(fm.ascent() + fm.descent())) - font.pixelSize();
    leading_ = std::max(0, internal) + static_cast<int>(std::lround(fm.leading()));
    if (painter_.isActive()) painter_.setFont(font_);
    return true;
}

double QtBackendWindow::advanceWidth(char32_t ch) const
{
    if (!hasFont_) return 0.0;
    QFontMetricsF fm(font_);
    return fm.horizontalAdvance(QString::fromUcs4(&ch, 1));
}

void QtBackendWindow::drawChar(int x, int y, char32_t ch)
{
    if (!hasFont_) return;
    QPainter* p = painter();
    if (!p) return;
    QTransform t;
    t.translate(x, y);
    // Escapement turns counter-clockwise on the screen, Qt's rotate clockwise.
    if (escapement_ != 0) t.rotate(-escapement_ / 10.0);
    p->setTransform(t);
    p->drawText(QPointF(0.0, ascent_), QString::fromUcs4(&ch, 1));
    p->resetTransform();
}

void QtBackendWindow::paintInto(QPainter& p)
{
    endPainting();
    if (backend_) ++backend_->paints_;
    if (!image_.isNull()) p.drawImage(0, 0, image_);
}

void QtBackendWindow::present()
{
    endPainting();
    if (widget_ && widget_->isVisible()) widget_->repaint();
}

void QtBackendWindow::setTitle(const std::string& title)
{
    if (widget_) widget_->setWindowTitle(QString::fromStdString(title));
}

std::string QtBackendWindow::title() const
{
    return widget_ ? widget_->windowTitle().toStdString() : std::string();
}

bool QtBackendWindow::userClose()
{
    if (!closeEnabled_) return false;
    open_ = false;
    return true;
}

// Nobody takes input from a window left open under NONE; keep only a few.
void QtBackendWindow::addInput(WindowInput input)
{
    if (inputs_.size() < 16) inputs_.push_back(input);
}

WindowInput QtBackendWindow::takeInput()
{
    if (inputs_.empty()) return WindowInput::None;
    WindowInput in = inputs_.front();
    inputs_.erase(inputs_.begin());
    return in;
}

const QImage& QtBackendWindow::image()
{
    endPainting();
    return image_;
}

// ---- backend ------------------------------------------------------------------

QtWindowBackend::QtWindowBackend() = default;

QtWindowBackend::~QtWindowBackend()
{
    for (QtBackendWindow* w : live_) {
        w->endPainting();
        w->backend_ = nullptr;
        w->dropWidget();
    }
    live_.clear();
}

static bool onGuiThread(std::string& error)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        error = "No display: the screen window needs the desktop application";
        return false;
    }
    if (QThread::currentThread() != QCoreApplication::instance()->thread()) {
        error = "The screen window can only be used from the user-interface thread";
        return false;
    }
    return true;
}

bool QtWindowBackend::desktop(DesktopInfo& info)
{
    if (!onGuiThread(error_)) return false;
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        error_ = "No display";
        return false;
    }
    QRect g = screen->geometry();
    info.width = g.width();
    info.height = g.height();
    info.bitsPerPixel = screen->depth();
    return true;
}

std::unique_ptr<BackendWindow> QtWindowBackend::createWindow(
    int x, int y, int clientWidth, int clientHeight, const std::string& title)
{
    if (!onGuiThread(error_)) return nullptr;
    if (clientWidth <= 0 || clientHeight <= 0) {
        error_
            = "Window size " + std::to_string(clientWidth) + " x " + std::to_string(clientHeight) + " is not positive";
        return nullptr;
    }
    std::unique_ptr<QtBackendWindow> window(new QtBackendWindow(this, nullptr));
    auto* widget = new QtScreenWidget(window.get());
    window->widget_ = widget;
    widget->setWindowTitle(QString::fromStdString(title));
    // Top-level geometry is that of the client area; the frame goes around it.
    widget->setGeometry(x, y, clientWidth, clientHeight);
    // Auto-plot makes a new window every second: it comes to the front but
    // leaves the keyboard where the user is typing (an open drop-down, a
    // field), unless the window it replaces had it.
    const bool activate = activateNext_;
    activateNext_ = false;
    widget->setAttribute(Qt::WA_ShowWithoutActivating, !activate);
    if (!activate) widget->handBackTo_ = QApplication::activeWindow();
    widget->shown_.start();
    widget->show();
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) widget->raise(); // offscreen: nothing to raise
    if (activate) widget->activateWindow();
    live_.push_back(window.get());
    return window;
}

bool QtWindowBackend::dragging() const
{
    for (const QtBackendWindow* w : live_)
        if (w->widget_ && w->widget_->dragStart_) return true;
    return false;
}

bool QtWindowBackend::dispatchEvents()
{
    long long before = paints_;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return paints_ != before;
}

} // namespace zedozo
