// SPDX-License-Identifier: MIT
#include "accessibility/atspiregistration.h"
#include "frmstopwatch.h"
#include "ticklog.h"
#include "unixsignals.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral(STOPWATCH_EXECUTABLE));
    QCoreApplication::setApplicationVersion(QStringLiteral(STOPWATCH_VERSION));
    // Lets the desktop match the window to its launcher entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(STOPWATCH_APP_ID));
    reachScreenReadersStartedLater();
    QApplication app(argc, argv);
    frmStopWatch window;
    attachTickLog(&window);
    closeOnTerminationSignals(&window);
    window.show();
    return QApplication::exec();
}
