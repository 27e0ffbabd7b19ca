// SPDX-License-Identifier: MIT
#pragma once

#include <QPushButton>

// A push button whose caption wraps onto centred lines when it is wider than the button. The
// caption itself, as read back or as heard by assistive tools, stays exactly the text that was set.
class WrappingButton : public QPushButton
{
    Q_OBJECT
    Q_DISABLE_COPY(WrappingButton)

public:
    explicit WrappingButton(const QString &caption, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
