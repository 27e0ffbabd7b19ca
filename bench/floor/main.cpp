// SPDX-License-Identifier: MIT
// The least a Qt Widgets program of the stopwatch's shape costs: one fixed-size window with a
// name box, four buttons, six coloured labels and a one-second timer, and no picture. Enter
// starts and stops the timer, as it does in the stopwatch, so one script drives both.
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTime>
#include <QTimer>

namespace {

QLabel *colouredLabel(QWidget *parent, const QString &text, QColor colour, const QRect &geometry)
{
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, colour);
    label->setPalette(palette);
    label->setGeometry(geometry);
    return label;
}

class FloorWindow : public QWidget
{
public:
    FloorWindow()
    {
        setWindowTitle(QStringLiteral("qvr-stopwatch floor"));
        setFixedSize(472, 404);
        auto *name = new QLineEdit(QStringLiteral("Company Name"), this);
        name->setGeometry(16, 16, 185, 25);

        const QColor colours[] = {QColor(128, 255, 255), QColor(0, 255, 255), QColor(0, 192, 192)};
        for (int row = 0; row < 3; ++row) {
            const int top = 72 + row * 104;
            (new QPushButton(QStringLiteral("Button"), this))->setGeometry(16, top, 53, 43);
            colouredLabel(this, QStringLiteral("Caption"), colours[row],
                          QRect(96, top + 16, 129, 17));
            shown = colouredLabel(this, QString(), colours[row], QRect(256, top + 8, 161, 33));
        }
        (new QPushButton(QStringLiteral("Quit"), this))->setGeometry(392, 360, 65, 33);

        timer.setInterval(1000);
        connect(&timer, &QTimer::timeout, this,
                [this] { shown->setText(QTime::currentTime().toString(u"hh:mm:ss")); });
        name->setFocus();
    }

protected:
    // The name box leaves Enter unhandled, so it arrives here.
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
            return QWidget::keyPressEvent(event);
        if (timer.isActive())
            timer.stop();
        else
            timer.start();
    }

private:
    QTimer timer;
    QLabel *shown = nullptr;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    FloorWindow window;
    window.show();
    return QApplication::exec();
}
