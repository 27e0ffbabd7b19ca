// SPDX-License-Identifier: MIT
#include "fakeclock.h"
#include "findcontrol.h"
#include "window/frmstopwatch.h"
#include "window/secondtimer.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QTest>
#include <QWindow>

#include <climits>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>

class tst_WindowLayout : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { window.reset(); }

    void controlsSitWhereTheyAreDrawn_data();
    void controlsSitWhereTheyAreDrawn();
    void windowIsFixedCentredAndTitled();
    void windowIsNeverMaximised_data();
    void windowIsNeverMaximised();
    void nameBoxHasFocusWithItsTextSelected();
    void tabCyclesThroughTheInputsOnly();
    void fonts_data();
    void fonts();
    void everyCaptionIsShownWhole_data();
    void everyCaptionIsShownWhole();
    void timesFitTheirBoxes();
    void toolTipsAreExact_data();
    void toolTipsAreExact();
    void paintedColours_data();
    void paintedColours();
    void textIsDarkOnTheLightBoxesUnderAnyTheme_data();
    void textIsDarkOnTheLightBoxesUnderAnyTheme();
    void pictureIsDrawnUnscaledFromTheCorner();
    void windowIconComesInEverySize();
    void assistiveToolsHearCaptionsAndTimes();
    void everyTextRequestIsAnsweredAtOnce();

private:
    template <typename T = QWidget> T *control(const char *name) const
    {
        return findControl<T>(*window, name);
    }

    std::unique_ptr<frmStopWatch> window;
};

void tst_WindowLayout::init()
{
    window = std::make_unique<frmStopWatch>();
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
}

// clang-format off
void tst_WindowLayout::controlsSitWhereTheyAreDrawn_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    // Twips divided by 15, rounded: 800 x 650 twips is 53 x 43 pixels.
    QTest::newRow("name box") << "txtName" << QRect(16, 16, 185, 25);
    QTest::newRow("start") << "CmdStart" << QRect(16, 72, 53, 43);
    QTest::newRow("beginning caption") << "LblStart" << QRect(96, 88, 129, 17);
    QTest::newRow("beginning time") << "txtStart" << QRect(256, 80, 161, 33);
    QTest::newRow("stop") << "CmdStop" << QRect(16, 176, 53, 43);
    QTest::newRow("ending caption") << "LblStop" << QRect(96, 192, 129, 17);
    QTest::newRow("ending time") << "txtStop" << QRect(256, 184, 161, 33);
    QTest::newRow("clear") << "cmdClear" << QRect(16, 288, 53, 43);
    QTest::newRow("total caption") << "LblQuit" << QRect(96, 296, 121, 17);
    QTest::newRow("total") << "txtElapsed" << QRect(256, 288, 161, 33);
    QTest::newRow("quit") << "CmdQuit" << QRect(392, 360, 65, 33);
}
// clang-format on

void tst_WindowLayout::controlsSitWhereTheyAreDrawn()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QCOMPARE(control(qPrintable(name))->geometry(), geometry);
}

void tst_WindowLayout::windowIsFixedCentredAndTitled()
{
    QCOMPARE(window->windowTitle(), QStringLiteral("  QVR Stop Watch"));
    QCOMPARE(window->size(), QSize(472, 404));
    QCOMPARE(window->minimumSize(), window->maximumSize());
    QVERIFY(!(window->windowFlags() & Qt::WindowMaximizeButtonHint));
    // The client area is centred: the frame's size is not known before the window is shown.
    const QPoint offCentre =
        window->geometry().center() - window->screen()->availableGeometry().center();
    QVERIFY2(offCentre.manhattanLength() <= 1,
             qPrintable(QStringLiteral("off by %1, %2").arg(offCentre.x()).arg(offCentre.y())));
}

void tst_WindowLayout::windowIsNeverMaximised_data()
{
    QTest::addColumn<bool>("byTitleBar");
    // The title bar Qt draws itself under GNOME on Wayland maximises the window directly, not the
    // widget. The offscreen platform obeys either request as that compositor does, moving the
    // window to the corner (and growing it too), and reports the new state back as an event.
    QTest::newRow("title bar's maximise button") << true;
    QTest::newRow("showMaximized") << false;
}

void tst_WindowLayout::windowIsNeverMaximised()
{
    QFETCH(bool, byTitleBar);
    const QRect placed = window->geometry();
    if (byTitleBar)
        window->windowHandle()->setWindowStates(Qt::WindowMaximized);
    else
        window->showMaximized();
    QCoreApplication::processEvents();
    QVERIFY(!window->isMaximized());
    QCOMPARE(window->windowHandle()->windowStates(), Qt::WindowNoState);
    QCOMPARE(window->geometry(), placed);
}

void tst_WindowLayout::nameBoxHasFocusWithItsTextSelected()
{
    auto *name = control<QLineEdit>("txtName");
    QCOMPARE(QApplication::focusWidget(), name);
    QCOMPARE(name->text(), QStringLiteral("Company Name"));
    QCOMPARE(name->selectedText(), name->text());
}

void tst_WindowLayout::tabCyclesThroughTheInputsOnly()
{
    QStringList visited;
    for (int press = 0; press < 5; ++press) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, QStringList({"CmdStart", "CmdStop", "cmdClear", "CmdQuit", "txtName"}));
    for (const QLabel *label : window->findChildren<QLabel *>())
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
}

// clang-format off
void tst_WindowLayout::fonts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("pixelSize");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("fixedPitch");
    QTest::newRow("name box") << "txtName" << 13 << false << false;
    QTest::newRow("start") << "CmdStart" << 11 << false << false;
    QTest::newRow("clear") << "cmdClear" << 11 << false << false;
    QTest::newRow("quit") << "CmdQuit" << 13 << true << false;
    QTest::newRow("beginning caption") << "LblStart" << 11 << true << false;
    QTest::newRow("total caption") << "LblQuit" << 11 << true << false;
    QTest::newRow("beginning time") << "txtStart" << 27 << true << true;
    QTest::newRow("ending time") << "txtStop" << 27 << true << true;
    QTest::newRow("total") << "txtElapsed" << 27 << true << true;
}
// clang-format on

void tst_WindowLayout::fonts()
{
    QFETCH(QString, name);
    QFETCH(int, pixelSize);
    QFETCH(bool, bold);
    QFETCH(bool, fixedPitch);
    // What the font system actually chose, not what was asked for.
    const QFontInfo chosen = control(qPrintable(name))->fontInfo();
    QCOMPARE(chosen.pixelSize(), pixelSize);
    QCOMPARE(chosen.bold(), bold);
    QCOMPARE(chosen.fixedPitch(), fixedPitch);
}

// clang-format off
void tst_WindowLayout::everyCaptionIsShownWhole_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::newRow("start") << "CmdStart" << "Start Timer";
    QTest::newRow("stop") << "CmdStop" << "Stop Timer";
    QTest::newRow("continue") << "CmdStop" << "Continue";
    QTest::newRow("clear") << "cmdClear" << "Clear Timer";
    QTest::newRow("quit") << "CmdQuit" << "Quit";
    QTest::newRow("beginning caption") << "LblStart" << "Beginning Time";
    QTest::newRow("ending caption") << "LblStop" << "Ending Time";
    QTest::newRow("total caption") << "LblQuit" << "Total Elapsed Time";
}
// clang-format on

void tst_WindowLayout::everyCaptionIsShownWhole()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QWidget *widget = control(qPrintable(name));
    QRect room = widget->contentsRect();
    if (auto *button = qobject_cast<QPushButton *>(widget)) {
        QStyleOptionButton option;
        option.initFrom(button);
        room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    }
    const QRect needed =
        widget->fontMetrics().boundingRect(room, Qt::AlignCenter | Qt::TextWordWrap, caption);
    QVERIFY2(room.contains(needed), qPrintable(QStringLiteral("needs %1 x %2 in %3 x %4")
                                                   .arg(needed.width())
                                                   .arg(needed.height())
                                                   .arg(room.width())
                                                   .arg(room.height())));
    // Wrapping is only drawn: the caption read back stays the one that was set.
    if (auto *button = qobject_cast<QPushButton *>(widget))
        QCOMPARE(button->text(), name == "CmdStop" ? QStringLiteral("Stop Timer") : caption);
}

void tst_WindowLayout::timesFitTheirBoxes()
{
    for (const char *name : {"txtStart", "txtStop", "txtElapsed"}) {
        const auto *label = control<QLabel>(name);
        QVERIFY(label->text().isEmpty());
        const QRect room = label->contentsRect();
        const QFontMetrics metrics = label->fontMetrics();
        QVERIFY2(metrics.horizontalAdvance(QStringLiteral("23:59:59")) <= room.width(), name);
        QVERIFY2(metrics.height() <= room.height(), name);
        QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    }
}

// clang-format off
void tst_WindowLayout::toolTipsAreExact_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("toolTip");
    QTest::newRow("start") << "CmdStart" << " Starts the Timer  ";
    QTest::newRow("stop") << "CmdStop" << " Stops the Timer  ";
    QTest::newRow("clear") << "cmdClear" << " Clears the Ending & Elapsed Times  ";
    QTest::newRow("quit") << "CmdQuit" << " Ends the Application  ";
}
// clang-format on

void tst_WindowLayout::toolTipsAreExact()
{
    QFETCH(QString, name);
    QFETCH(QString, toolTip);
    QCOMPARE(control(qPrintable(name))->toolTip(), toolTip);
}

// clang-format off
void tst_WindowLayout::paintedColours_data()
{
    QTest::addColumn<QPoint>("where");
    QTest::addColumn<QColor>("colour");
    const QColor lightAqua(128, 255, 255), cyan(0, 255, 255), teal(0, 192, 192);
    // Points inside each box, clear of its text and border.
    QTest::newRow("name box") << QPoint(196, 28) << QColor(192, 255, 255);
    QTest::newRow("beginning caption") << QPoint(98, 90) << lightAqua;
    QTest::newRow("beginning time") << QPoint(260, 96) << lightAqua;
    QTest::newRow("ending caption") << QPoint(98, 194) << cyan;
    QTest::newRow("ending time") << QPoint(260, 200) << cyan;
    QTest::newRow("total caption") << QPoint(98, 298) << teal;
    QTest::newRow("total") << QPoint(260, 304) << teal;
    QTest::newRow("time box border") << QPoint(256, 96) << QColor(Qt::black);
}
// clang-format on

void tst_WindowLayout::paintedColours()
{
    QFETCH(QPoint, where);
    QFETCH(QColor, colour);
    const QImage painted = window->grab().toImage();
    QCOMPARE(painted.pixelColor(where), colour);
}

namespace {

// The palette of a typical dark desktop theme: light text on dark grey.
QPalette darkPalette()
{
    QPalette dark(QColor(53, 53, 53));
    dark.setColor(QPalette::WindowText, Qt::white);
    dark.setColor(QPalette::Base, QColor(42, 42, 42));
    dark.setColor(QPalette::Text, Qt::white);
    dark.setColor(QPalette::ButtonText, Qt::white);
    dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    return dark;
}

// Empty when the box holds dark text: every pixel that is not the background is a blend of it
// with the text colour, so light text shows as pixels lighter than the background.
QString textProblem(const QImage &painted, const QRect &box, QColor background)
{
    int dark = 0;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x) {
            const QColor pixel = painted.pixelColor(x, y);
            if (pixel.red() > background.red() || pixel.green() > background.green() ||
                pixel.blue() > background.blue())
                return QStringLiteral("a light pixel at %1, %2").arg(x).arg(y);
            dark += pixel.lightness() < 64;
        }
    }
    return dark >= 20 ? QString() : QStringLiteral("only %1 dark pixels").arg(dark);
}

} // namespace

// clang-format off
void tst_WindowLayout::textIsDarkOnTheLightBoxesUnderAnyTheme_data()
{
    QTest::addColumn<QString>("style");
    QTest::addColumn<bool>("darkPalette");
    QTest::newRow("default") << QString() << false;
    QTest::newRow("dark palette") << QString() << true;
    QTest::newRow("Adwaita-Dark style") << "Adwaita-Dark" << false;
}
// clang-format on

void tst_WindowLayout::textIsDarkOnTheLightBoxesUnderAnyTheme()
{
    QFETCH(QString, style);
    QFETCH(bool, darkPalette);
    if (!style.isEmpty() && !QStyleFactory::keys().contains(style, Qt::CaseInsensitive))
        QSKIP("the style is not installed (Debian's adwaita-qt6 has it)");

    // Setting a style deletes the one before, so it is put back by name.
    const QString styleBefore = QApplication::style()->name();
    const QPalette paletteBefore = QApplication::palette();
    const auto restore = qScopeGuard([&] {
        QApplication::setStyle(styleBefore);
        QApplication::setPalette(paletteBefore);
    });
    if (!style.isEmpty())
        QApplication::setStyle(style);
    if (darkPalette)
        QApplication::setPalette(::darkPalette());
    if (!style.isEmpty() || darkPalette)
        QVERIFY2(QApplication::palette().color(QPalette::Text).lightness() > 128,
                 "the theme did not take effect");

    FakeClock clock;
    window = std::make_unique<frmStopWatch>(clock.source());
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QTest::mouseClick(control("CmdStart"), Qt::LeftButton);
    clock.advance(1000);
    emit control<SecondTimer>("Timer1")->timeout();
    QCOMPARE(control<QLabel>("txtElapsed")->text(), QStringLiteral(" 00:00:01 "));
    const QImage painted = window->grab().toImage();

    const QList<std::tuple<const char *, QColor>> boxes = {{"txtName", QColor(192, 255, 255)},
                                                           {"LblStart", QColor(128, 255, 255)},
                                                           {"txtStart", QColor(128, 255, 255)},
                                                           {"txtStop", QColor(0, 255, 255)},
                                                           {"txtElapsed", QColor(0, 192, 192)}};
    for (const auto &[name, background] : boxes) {
        const QWidget *box = control(name);
        // Inside the frame: the name box's is the theme's to draw.
        const int inset = box == control("txtName") ? 4 : box->contentsMargins().left();
        const QRect inside = box->geometry().adjusted(inset, inset, -inset, -inset);
        const QString problem = textProblem(painted, inside, background);
        QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("%1: %2").arg(name, problem)));
        if (name != QStringLiteral("txtName") && name != QStringLiteral("LblStart"))
            QCOMPARE(painted.pixelColor(box->geometry().left(), box->geometry().center().y()),
                     QColor(Qt::black));
    }
}

void tst_WindowLayout::pictureIsDrawnUnscaledFromTheCorner()
{
    const QImage painted = window->grab().toImage();
    const QImage picture(QStringLiteral(STOPWATCH_RESOURCES_DIR "/earth.png"));
    QCOMPARE(picture.size(), QSize(561, 425));
    // The corners, and points on the globe between the controls.
    for (const QPoint where : {QPoint(0, 0), QPoint(471, 403), QPoint(240, 150), QPoint(300, 250),
                               QPoint(150, 240), QPoint(330, 60)})
        QCOMPARE(painted.pixelColor(where), picture.pixelColor(where));
    QVERIFY(picture.pixelColor(300, 250) != QColor(Qt::black));
}

void tst_WindowLayout::windowIconComesInEverySize()
{
    const QIcon icon = window->windowIcon();
    for (const int size : {16, 32, 64}) {
        const QImage drawn =
            icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const QImage png =
            QImage(QStringLiteral(STOPWATCH_RESOURCES_DIR "/stopwatch-%1.png").arg(size))
                .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(drawn.size(), QSize(size, size));
        QCOMPARE(drawn, png);
    }
}

void tst_WindowLayout::assistiveToolsHearCaptionsAndTimes()
{
    const auto heard = [this](const char *name, QAccessible::Text text) {
        return QAccessible::queryAccessibleInterface(control(name))->text(text);
    };
    // A frame, which screen readers read the title of.
    QCOMPARE(QAccessible::queryAccessibleInterface(window.get())->role(), QAccessible::Window);
    QCOMPARE(heard("txtName", QAccessible::Name), QStringLiteral("Name"));
    QCOMPARE(heard("CmdStart", QAccessible::Name), QStringLiteral("Start Timer"));
    QCOMPARE(heard("CmdStart", QAccessible::Description), QStringLiteral(" Starts the Timer  "));
    QCOMPARE(heard("CmdStop", QAccessible::Name), QStringLiteral("Stop Timer"));

    const QList<std::pair<const char *, const char *>> captions = {
        {"txtStart", "Beginning Time"},
        {"txtStop", "Ending Time"},
        {"txtElapsed", "Total Elapsed Time"}};
    for (const auto &[time, caption] : captions) {
        // Empty, a time is heard as empty, not as its caption a second time.
        QCOMPARE(heard(time, QAccessible::Name), QString());
        control<QLabel>(time)->setText(QStringLiteral(" 09:00:00 "));
        QCOMPARE(heard(time, QAccessible::Name), QStringLiteral(" 09:00:00 "));
        const auto labels =
            QAccessible::queryAccessibleInterface(control(time))->relations(QAccessible::Label);
        QCOMPARE(labels.size(), 1);
        QCOMPARE(labels.front().first->text(QAccessible::Name), QLatin1StringView(caption));
    }
}

// Ends the test run if a request has not been answered within the time it was given: a request that
// never returns would otherwise hang the run, as it hangs the program.
class Deadline
{
public:
    Deadline(std::chrono::seconds limit, QString request)
        : watch([this, limit, request = std::move(request)] {
              std::unique_lock lock(mutex);
              if (!answered.wait_for(lock, limit, [this] { return done; })) {
                  std::fprintf(stderr, "FAIL: no answer within %llds to %s\n",
                               static_cast<long long>(limit.count()), qPrintable(request));
                  std::_Exit(1);
              }
          })
    {
    }
    ~Deadline()
    {
        {
            std::lock_guard lock(mutex);
            done = true;
        }
        answered.notify_one();
        watch.join();
    }

private:
    std::mutex mutex;
    std::condition_variable answered;
    bool done = false;
    std::thread watch;
};

void tst_WindowLayout::everyTextRequestIsAnsweredAtOnce()
{
    const QList<std::pair<QAccessible::TextBoundaryType, const char *>> boundaries = {
        {QAccessible::CharBoundary, "character"},    {QAccessible::WordBoundary, "word"},
        {QAccessible::SentenceBoundary, "sentence"}, {QAccessible::ParagraphBoundary, "paragraph"},
        {QAccessible::LineBoundary, "line"},         {QAccessible::NoBoundary, "whole text"}};
    using Request = QString (QAccessibleTextInterface::*)(int, QAccessible::TextBoundaryType, int *,
                                                          int *) const;
    const QList<std::pair<Request, const char *>> requests = {
        {&QAccessibleTextInterface::textBeforeOffset, "before"},
        {&QAccessibleTextInterface::textAtOffset, "at"},
        {&QAccessibleTextInterface::textAfterOffset, "after"}};

    int asked = 0;
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        QAccessibleTextInterface *text =
            QAccessible::queryAccessibleInterface(widget)->textInterface();
        if (!text)
            continue;
        const QString whole = text->text(0, text->characterCount());
        const int n = int(whole.size());
        QVERIFY2(n > 1, qPrintable(widget->objectName()));
        for (const int offset : {-1, 0, n / 2, n - 1, n, n + 1, INT_MAX, INT_MIN}) {
            for (const auto &[boundary, boundaryName] : boundaries) {
                for (const auto &[request, requestName] : requests) {
                    const QString what =
                        QStringLiteral("%1: the %2 %3 offset %4 of \"%5\"")
                            .arg(widget->objectName(), QLatin1StringView(boundaryName),
                                 QLatin1StringView(requestName))
                            .arg(offset)
                            .arg(whole);
                    int start = -2, end = -2;
                    QString answer;
                    {
                        Deadline deadline(std::chrono::seconds(5), what);
                        answer = (text->*request)(offset, boundary, &start, &end);
                    }
                    ++asked;
                    // Either nothing, or a piece of the text that is what its offsets say.
                    const bool nothing = answer.isEmpty() && start == -1 && end == -1;
                    const bool piece = 0 <= start && start < end && end <= n &&
                                       answer == whole.mid(start, end - start);
                    QVERIFY2(nothing || piece, qPrintable(QStringLiteral("%1 gave \"%2\" %3-%4")
                                                              .arg(what, answer)
                                                              .arg(start)
                                                              .arg(end)));
                }
            }
        }
    }
    QVERIFY(asked > 0);

    // A screen reader moving by word through the name, and past its end.
    auto *name = QAccessible::queryAccessibleInterface(control("txtName"))->textInterface();
    int start = 0, end = 0;
    QCOMPARE(name->textAtOffset(0, QAccessible::WordBoundary, &start, &end),
             QStringLiteral("Company"));
    QCOMPARE(name->textAfterOffset(0, QAccessible::WordBoundary, &start, &end),
             QStringLiteral(" "));
    QCOMPARE(name->textBeforeOffset(-1, QAccessible::WordBoundary, &start, &end),
             QStringLiteral("Name"));
    QCOMPARE(name->textAtOffset(-1, QAccessible::WordBoundary, &start, &end), QString());
    QCOMPARE(name->textAtOffset(-1, QAccessible::LineBoundary, &start, &end),
             QStringLiteral("Company Name"));
    // The name has no attributes: one run from its start to its end, wherever it is asked.
    for (const int offset : {0, 11, 12}) {
        name->attributes(offset, &start, &end);
        QCOMPARE(std::pair(start, end), std::pair(0, 12));
    }

    // Every other request, at and past the ends of the name: an edit is made whole or not at all.
    auto *box = control<QLineEdit>("txtName");
    QAccessibleEditableTextInterface *edit =
        QAccessible::queryAccessibleInterface(box)->editableTextInterface();
    const QString whole = box->text();
    const int n = int(whole.size());
    const auto within = [n](int offset) { return 0 <= offset && offset <= n; };
    const auto range = [within](int a, int b) { return within(a) && within(b) && a <= b; };
    const auto same = [&whole](int, int) { return whole; };
    struct Other
    {
        const char *name;
        std::function<void(int, int)> ask;
        std::function<QString(int, int)> result;
    };
    const QList<Other> others = {
        {"text", [&](int a, int b) { name->text(a, b); }, same},
        {"selection", [&](int a, int) { name->selection(a, &start, &end); }, same},
        {"setSelection", [&](int a, int b) { name->setSelection(0, a, b); }, same},
        {"addSelection", [&](int a, int b) { name->addSelection(a, b); }, same},
        {"removeSelection", [&](int a, int) { name->removeSelection(a); }, same},
        {"setCursorPosition", [&](int a, int) { name->setCursorPosition(a); }, same},
        {"characterRect", [&](int a, int) { name->characterRect(a); }, same},
        {"offsetAtPoint",
         [&](int a, int b) {
             name->offsetAtPoint({a, b});
         },
         same},
        {"scrollToSubstring", [&](int a, int b) { name->scrollToSubstring(a, b); }, same},
        {"attributes", [&](int a, int) { name->attributes(a, &start, &end); }, same},
        {"deleteText", [&](int a, int b) { edit->deleteText(a, b); },
         [&](int a, int b) { return range(a, b) ? QString(whole).remove(a, b - a) : whole; }},
        {"insertText", [&](int a, int) { edit->insertText(a, QStringLiteral("x")); },
         [&](int a, int) { return within(a) ? QString(whole).insert(a, u'x') : whole; }},
        {"replaceText", [&](int a, int b) { edit->replaceText(a, b, QStringLiteral("x")); },
         [&](int a, int b) {
             return range(a, b) ? QString(whole).replace(a, b - a, u'x') : whole;
         }},
    };
    const int edges[] = {-1, 0, n, n + 1, INT_MAX, INT_MIN};
    for (const Other &request : others) {
        for (const int a : edges) {
            for (const int b : edges) {
                box->setText(whole);
                const QString what =
                    QStringLiteral("%1(%2, %3)").arg(QLatin1StringView(request.name)).arg(a).arg(b);
                {
                    Deadline deadline(std::chrono::seconds(5), what);
                    request.ask(a, b);
                }
                QVERIFY2(box->text() == request.result(a, b), qPrintable(what));
            }
        }
    }
    // A name at the box's maximum length takes nothing more.
    const QString full(box->maxLength(), u'x');
    box->setText(full);
    edit->insertText(0, QStringLiteral("y"));
    edit->replaceText(0, 1, QStringLiteral("yz"));
    QCOMPARE(box->text(), full);
}

QTEST_MAIN(tst_WindowLayout)
#include "tst_windowlayout.moc"
