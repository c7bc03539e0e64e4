// The desktop size for `quorva plot`, read from the toolkit when a display
// is there. The command itself lives in the toolkit-free library; this part
// of the program hands it the query before main() runs.

#include "app/PlotCommand.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSize>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string environment(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}

void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

std::optional<quorva::DesktopSize> displayDesktop()
{
    // Only a real display has a desktop; the offscreen and similar
    // platforms report an invented one.
    const std::string platform = environment("QT_QPA_PLATFORM");
    const bool x11 = !environment("DISPLAY").empty();
    const bool wayland = !environment("WAYLAND_DISPLAY").empty();
    std::string platforms;
    if (platform.rfind("xcb", 0) == 0 && x11)
        platforms = "xcb";
    else if (platform.rfind("wayland", 0) == 0 && wayland)
        platforms = platform.substr(0, platform.find(';'));
    else if (platform.empty() && (x11 || wayland))
        platforms = wayland ? "wayland;xcb" : "xcb";
    if (platforms.empty())
        return std::nullopt;

    // A display that does not answer (a stale DISPLAY after ssh) must not
    // end the program: fall back to the offscreen platform and treat it as
    // no display. Qt's complaint about the dead display is not for the user.
    std::string platformArgument = platforms + ";offscreen";
    static char program[] = "quorva";
    static char platformOption[] = "-platform";
    char* argv[] = {program, platformOption, platformArgument.data(), nullptr};
    int argc = 3;
    const QtMessageHandler previous = qInstallMessageHandler(quiet);
    std::optional<quorva::DesktopSize> desktop;
    {
        QGuiApplication app(argc, argv);
        qInstallMessageHandler(previous);
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (QGuiApplication::platformName() != QLatin1String("offscreen") && screen) {
            const QSize size = screen->virtualSize(); // the whole desktop, all screens
            if (size.width() > 0 && size.height() > 0)
                desktop = quorva::DesktopSize{size.width(), size.height()};
        }
    }
    qInstallMessageHandler(previous);
    return desktop;
}

const bool kRegistered = (quorva::setDesktopQuery(&displayDesktop), true);

} // namespace
