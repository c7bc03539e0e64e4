#pragma once
// Runs a program (by default the built quorva) to its end and keeps its exit
// status and output; shared by the tests that drive the binary from outside.

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace apptest {

struct ProcessRun {
    int status = -1; // -1: did not finish or crashed
    QString out;
    QString err;
};

// No display, dates from SOURCE_DATE_EPOCH: the same output on every machine.
inline QProcessEnvironment plainEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("SOURCE_DATE_EPOCH", "1700000000");
    return env;
}

inline ProcessRun execute(const QString& program, const QStringList& arguments, const QString& workDir = {},
                          const QProcessEnvironment& env = plainEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    if (!workDir.isEmpty())
        p.setWorkingDirectory(workDir);
    p.start(program, arguments);
    ProcessRun r;
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit) {
        p.kill();
        p.waitForFinished();
        r.err = "did not finish: " + program;
        return r;
    }
    r.status = p.exitCode();
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

inline ProcessRun quorva(const QStringList& arguments, const QString& workDir = {},
                         const QProcessEnvironment& env = plainEnvironment())
{
    return execute(QStringLiteral(QUORVA_BINARY), arguments, workDir, env);
}

} // namespace apptest
