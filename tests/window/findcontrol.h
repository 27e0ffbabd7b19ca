// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

// A control of the window by the name the handlers use; a missing one ends the test run, since
// every later check would only fail less clearly.
template <typename T = QWidget> T *findControl(const QWidget &window, const char *name)
{
    auto *found = window.findChild<T *>(QLatin1StringView(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}
