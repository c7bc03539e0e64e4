#pragma once
// The desktop program: `quorva` without a command. Starts the application
// titled "Quorva", installs the Qt screen window for the plot engine, creates
// the main window (which reads "Quorva.cfg" from the working directory) and
// runs the event loop until "Exit" or the main window closes.
//
// Exit statuses: 0 normal end; kExitNoDisplay when there is no display to
// show windows on; kExitUnexpected when an exception escaped an event
// handler (its message goes to stderr).
//
// Hooks for scripts and tests (environment):
//   QUORVA_DESKTOP_OPEN=FILE        after start-up: "Open...", move the file
//                                   dialog to FILE's folder with FILE's unit,
//                                   click FILE (which plots it), "Statistics".
//   QUORVA_DESKTOP_ZOOM=FROM-TO     then drag over the screen window from
//                                   the time FROM to TO ("10:33-10:48"),
//                                   which zooms the plot to that window.
//   QUORVA_DESKTOP_SCREENSHOTS=DIR  then save main-window.png, file-dialog.png,
//                                   statistics.png, screen-window.png and
//                                   desktop.png into DIR and end the program.

#include "app/RePlot.h"

#include <QApplication>

#include <string>

namespace quorva {

inline constexpr int kExitNoDisplay = 1;
inline constexpr int kExitUnexpected = 70;

// An exception that escapes an event handler ends the event loop with
// kExitUnexpected instead of unwinding through the toolkit.
class QuorvaApplication : public QApplication {
public:
    QuorvaApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // An exception has escaped; the message went to stderr.
    bool failed() const { return failed_; }
    void fail(const std::string& what);

private:
    bool failed_ = false;
};

// Whether windows can be shown: a display (DISPLAY or WAYLAND_DISPLAY), or
// a platform chosen with QT_QPA_PLATFORM other than xcb or wayland (such as
// offscreen). Otherwise false with the reason.
bool displayAvailable(std::string& reason);

// Runs the desktop program; `plotStep` is the plot sequence. Returns the
// exit status.
int runDesktopProgram(int argc, char** argv, RePlot::PlotStep plotStep);

} // namespace quorva
