#include "app/forms/DesktopProgram.h"

#include "app/TimeWindow.h"
#include "app/Version.h"
#include "app/forms/Main.h"
#include "app/forms/QtWindowBackend.h"
#include "dialogs/FileSelect.h"
#include "dialogs/Stats.h"
#include "engine/output/WindowBackend.h"
#include "lightcurve/FileNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <cstdlib>
#include <exception>
#include <iostream>
#include <optional>

namespace quorva {
namespace {

std::string environment(const char* name)
{
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

// "Open...", the file's folder and unit in the dialog, a click on the file,
// "Statistics". False with the reason when the file is not listed.
bool openFile(TForm1& form, const QString& path, std::string& reason)
{
    const QFileInfo info(path);
    if (!info.isFile()) {
        reason = "no such file: " + QFile::encodeName(path).toStdString();
        return false;
    }
    form.Button2Click();
    TForm2& dialog = form.form2();
    dialog.ComboBox1->setCurrentIndex(
        unitFromFileName(QFile::encodeName(info.fileName()).toStdString()) == "SFU" ? 0 : 1);
    dialog.ComboBox1Change();
    dialog.DirectoryListBox1->setDirectory(info.absolutePath());
    if (!dialog.clickFile(info.fileName())) {
        reason = "the file dialog does not list " + QFile::encodeName(path).toStdString();
        return false;
    }
    form.Button4Click();
    return true;
}

// A drag with the left button over the screen window from the time `from`
// to `to` ("HH:MM-HH:MM"), as the user makes it: the window maps the
// pixels back to time. False with the reason when it cannot be made.
bool dragOver(const QString& span, std::string& reason)
{
    const QStringList ends = span.split(QLatin1Char('-'));
    const std::optional<double> from = ends.size() == 2 ? parseTimeOfDay(ends[0].toStdString()) : std::nullopt;
    const std::optional<double> to = ends.size() == 2 ? parseTimeOfDay(ends[1].toStdString()) : std::nullopt;
    auto* window = dynamic_cast<zedozo::QtBackendWindow*>(zedozo::screenWindow(1));
    if (!from || !to) {
        reason = "not a time window: " + span.toStdString();
        return false;
    }
    if (!window || !window->widget() || !window->axis()) {
        reason = "no plot in the screen window";
        return false;
    }
    const zedozo::WindowAxis& a = *window->axis();
    auto at = [&](double hours) {
        return QPointF(a.left + (hours - a.from) / (a.to - a.from) * (a.right - a.left), (a.top + a.bottom) / 2.0);
    };
    QWidget* w = window->widget();
    const QPointF p = at(*from), q = at(*to);
    QMouseEvent press(QEvent::MouseButtonPress, p, w->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent move(QEvent::MouseMove, q, w->mapToGlobal(q), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, q, w->mapToGlobal(q), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &press);
    QCoreApplication::sendEvent(w, &move);
    QCoreApplication::sendEvent(w, &release);
    return true;
}

bool save(const QPixmap& pixmap, const QDir& dir, const char* name, std::string& reason)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    if (pixmap.isNull() || !pixmap.save(path, "PNG")) {
        reason = "cannot write " + QFile::encodeName(path).toStdString();
        return false;
    }
    std::cout << QFile::encodeName(path).toStdString() << '\n';
    return true;
}

bool screenshots(TForm1& form, const QString& folder, std::string& reason)
{
    QDir dir(folder);
    if (!dir.exists() && !QDir().mkpath(folder)) {
        reason = "cannot create " + QFile::encodeName(folder).toStdString();
        return false;
    }
    if (!save(form.grab(), dir, "main-window.png", reason) || !save(form.form2().grab(), dir, "file-dialog.png", reason)
        || !save(form.form3().grab(), dir, "statistics.png", reason))
        return false;
    auto* window = dynamic_cast<zedozo::QtBackendWindow*>(zedozo::screenWindow(1));
    if (!window || !window->widget()) {
        reason = "no screen window is open";
        return false;
    }
    if (!save(window->widget()->grab(), dir, "screen-window.png", reason)) return false;
    if (QScreen* screen = QGuiApplication::primaryScreen())
        return save(screen->grabWindow(0), dir, "desktop.png", reason);
    return true;
}

} // namespace

QuorvaApplication::QuorvaApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Quorva"));
    setApplicationVersion(QString::fromLatin1(kVersion));
    // The main window ends the program, whatever other windows are open.
    setQuitOnLastWindowClosed(false);
}

bool QuorvaApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        fail(e.what());
    } catch (...) {
        fail("unknown exception");
    }
    return false;
}

void QuorvaApplication::fail(const std::string& what)
{
    if (!failed_) std::cerr << "quorva: unexpected error: " << what << std::endl;
    failed_ = true;
    QCoreApplication::exit(kExitUnexpected);
}

bool displayAvailable(std::string& reason)
{
    const std::string platform = environment("QT_QPA_PLATFORM");
    const bool x11 = !environment("DISPLAY").empty();
    const bool wayland = !environment("WAYLAND_DISPLAY").empty();
    if (!platform.empty() && platform.rfind("xcb", 0) != 0 && platform.rfind("wayland", 0) != 0) return true;
    if (platform.rfind("xcb", 0) == 0 && !x11) {
        reason = "QT_QPA_PLATFORM asks for X11, but DISPLAY is not set";
        return false;
    }
    if (platform.rfind("wayland", 0) == 0 && !wayland) {
        reason = "QT_QPA_PLATFORM asks for Wayland, but WAYLAND_DISPLAY is not set";
        return false;
    }
    if (x11 || wayland) return true;
    reason = "no display: neither DISPLAY nor WAYLAND_DISPLAY is set";
    return false;
}

int runDesktopProgram(int argc, char** argv, RePlot::PlotStep plotStep)
{
    std::string reason;
    if (!displayAvailable(reason)) {
        std::cerr << "quorva: cannot start the desktop program: " << reason << "\n"
                  << "quorva: run it on a desktop, or use a command such as 'quorva plot' (see 'quorva --help')\n";
        return kExitNoDisplay;
    }

    QuorvaApplication app(argc, argv);
    int status = 0;
    try {
        zedozo::QtWindowBackend backend;
        zedozo::WindowBackendScope screen(&backend);

        TForm1::Options options;
        options.plotStep = std::move(plotStep);
        TForm1 form(std::move(options));
        form.show();

        const QString open = QFile::decodeName(QByteArray::fromStdString(environment("QUORVA_DESKTOP_OPEN")));
        const QString shots = QFile::decodeName(QByteArray::fromStdString(environment("QUORVA_DESKTOP_SCREENSHOTS")));
        const QString zoom = QString::fromStdString(environment("QUORVA_DESKTOP_ZOOM"));
        int hookStatus = 0;
        if (!open.isEmpty()) {
            QTimer::singleShot(0, &form, [&] {
                std::string why;
                if (!openFile(form, open, why)) {
                    std::cerr << "quorva: QUORVA_DESKTOP_OPEN: " << why << std::endl;
                    hookStatus = 2;
                    if (!shots.isEmpty()) QCoreApplication::exit(hookStatus);
                    return;
                }
                if (!zoom.isEmpty() && !dragOver(zoom, why)) {
                    std::cerr << "quorva: QUORVA_DESKTOP_ZOOM: " << why << std::endl;
                    hookStatus = 2;
                    if (!shots.isEmpty()) QCoreApplication::exit(hookStatus);
                    return;
                }
                if (shots.isEmpty()) return;
                // Let the windows paint (and a zoom re-plot) before they are grabbed.
                QTimer::singleShot(700, &form, [&] {
                    std::string why2;
                    if (!screenshots(form, shots, why2)) {
                        std::cerr << "quorva: QUORVA_DESKTOP_SCREENSHOTS: " << why2 << std::endl;
                        hookStatus = 1;
                    }
                    QCoreApplication::exit(hookStatus);
                });
            });
        }

        status = app.exec();
        if (hookStatus != 0) status = hookStatus;
    } catch (const std::exception& e) {
        app.fail(e.what());
    } catch (...) {
        app.fail("unknown exception");
    }
    return app.failed() ? kExitUnexpected : status;
}

} // namespace quorva
