// SPDX-License-Identifier: MIT
#include "ticklog.h"

#include "secondtimer.h"

#include <QDateTime>
#include <QFile>
#include <QLabel>
#include <QTextStream>

void attachTickLog(QWidget *window)
{
    const QString path = qEnvironmentVariable("QVR_STOPWATCH_TICK_LOG");
    if (path.isEmpty())
        return;
    auto *file = new QFile(path, window);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        qFatal("cannot open the tick log %s", qPrintable(path));

    const auto *timer = window->findChild<SecondTimer *>(QStringLiteral("Timer1"));
    const auto *shown = window->findChild<QLabel *>(QStringLiteral("txtStop"));
    const auto *total = window->findChild<QLabel *>(QStringLiteral("txtElapsed"));
    // Connected after the window's own handler, so the labels already show the new times.
    QObject::connect(timer, &SecondTimer::timeout, file, [file, shown, total] {
        QTextStream(file) << QDateTime::currentMSecsSinceEpoch() << ' ' << shown->text().trimmed()
                          << ' ' << total->text().trimmed() << '\n';
        file->flush();
    });
}
