#include "app/forms/QtWindowBackend.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QScreen>
#include <QThread>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace zedozo {

// ---- widget -------------------------------------------------------------------

QtScreenWidget::QtScreenWidget(QtBackendWindow* owner) : QWidget(nullptr), owner_(owner)
{
    // The plot window must not keep the program running, nor end it when the
    // user closes it.
    setAttribute(Qt::WA_QuitOnClose, false);
    setAttribute(Qt::WA_OpaquePaintEvent, true);
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

void QtScreenWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (owner_ && event->button() == Qt::RightButton) owner_->addInput(WindowInput::RightButton);
    QWidget::mouseReleaseEvent(event);
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
    widget->show();
    live_.push_back(window.get());
    return window;
}

bool QtWindowBackend::dispatchEvents()
{
    long long before = paints_;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return paints_ != before;
}

} // namespace zedozo
