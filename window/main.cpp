// SPDX-License-Identifier: MIT
#include "frmstopwatch.h"
#include "ticklog.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    frmStopWatch window;
    attachTickLog(&window);
    window.show();
    return QApplication::exec();
}
