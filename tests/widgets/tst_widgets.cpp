#include "app/waits.h"
#include "sdk/wemeetmanager.h"
#include "session/navigator.h"
#include "widgets/borderdialog.h"
#include "widgets/customlineedit.h"
#include "widgets/phonenumedit.h"
#include "widgets/placeholdercolor.h"
#include "widgets/pngimage.h"
#include "widgets/progressindicator.h"
#include "widgets/shadowmenu.h"
#include "widgets/snackbar.h"
#include "widgets/twobtndlg.h"
#include "widgets/veskdatetimecombobox.h"
#include "widgets/waitingspinnerwidget.h"

#include <QApplication>
#include <QDirIterator>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMovie>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStyle>
#include <QTimeEdit>
#include <QTimer>
#include <QtMath>
#include <QtTest>

#include <functional>

namespace {

QString styleSheetText()
{
    QFile file(QStringLiteral(":/qss/style/style.qss"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

// Runs check on the next modal dialog as soon as it is shown.
void onModal(std::function<void(TwoBtnDlg *)> check)
{
    QTimer::singleShot(0, [check]() {
        auto *dlg = qobject_cast<TwoBtnDlg *>(QApplication::activeModalWidget());
        QVERIFY(dlg);
        check(dlg);
    });
}

// Renders w into an image of twice its size, so every one-pixel ring covers
// whole device pixels and reads back without antialiasing blur.
QImage renderAtDoubleScale(QWidget *w)
{
    QImage image(w->size() * 2, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    w->render(&painter, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    painter.end();
    return image;
}

QImage renderPlain(QWidget *w,
                   QWidget::RenderFlags flags = QWidget::DrawWindowBackground | QWidget::DrawChildren)
{
    QImage image(w->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    w->render(&painter, QPoint(), QRegion(), flags);
    painter.end();
    return image;
}

void sendMouse(QWidget *w, QEvent::Type type, QPoint local, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, local, w->mapToGlobal(local), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

QList<AreaCode> sampleAreaCodes()
{
    // Eight codes contain "8", three contain "44", none contains "99".
    return {
        {"86", "中国"},     {"852", "中国香港"}, {"853", "中国澳门"}, {"886", "中国台湾"}, {"81", "日本"},
        {"82", "韩国"},     {"380", "乌克兰"},   {"880", "孟加拉国"}, {"1", "美国"},       {"44", "英国"},
        {"1441", "百慕大"}, {"1144", "测试区"},  {"33", "法国"},      {"49", "德国"},
    };
}

void showActive(QWidget *w)
{
    w->show();
    QApplication::setActiveWindow(w);
    QVERIFY(QTest::qWaitForWindowActive(w));
}

// A phone-number field in a window of its own, shown and active, with its parts.
struct PhoneField
{
    QWidget window;
    PhoneNumEdit edit{&window};
    QLineEdit *code = nullptr;
    QLineEdit *number = nullptr;
    QListWidget *list = nullptr;

    PhoneField()
    {
        window.resize(400, 300);
        edit.setGeometry(10, 10, 319, 30);
        edit.setAreaCodeList(sampleAreaCodes());
        code = edit.findChild<QLineEdit *>(QStringLiteral("noBorderQLineEdit"));
        number = edit.findChild<QLineEdit *>(QStringLiteral("underlinePaddingQLineEdit"));
        list = edit.findChild<QListWidget *>(QStringLiteral("phoneAreaCodeQListWidget"));
    }
    void show() { showActive(&window); }
};

} // namespace

// A bare frameless window that lets a test switch dragging on.
class DragProbe final : public BorderDialog
{
public:
    explicit DragProbe(bool draggable)
    {
        setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
        resize(300, 200);
        setDraggable(draggable);
    }
};

class TestWidgets : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    // style sheet
    void styleSheetParsesAndNamesOnlyEmbeddedImages();
    void unnamedLineEditKeepsTheGreyDefaultBorder();
    void brokenLinesDrawInEitherOrientation_data();
    void brokenLinesDrawInEitherOrientation();
    void defaultButtonStates();
    void placeholdersStayHintGrey();

    // frameless dialogs
    void shadowRingsFadeOutward_data();
    void shadowRingsFadeOutward();
    void twoButtonDialogFormAndNames();
    void oneButtonDialogFormAndNames();
    void dialogResult_data();
    void dialogResult();
    void dialogDragsOnlyWhilePressed();
    void borderDialogDragsOnlyWhenSwitchedOnAndWithTheLeftButton_data();
    void borderDialogDragsOnlyWhenSwitchedOnAndWithTheLeftButton();

    // notices
    void noticeWrapsOnlyWideTexts_data();
    void noticeWrapsOnlyWideTexts();
    void noticeClosesAfterItsOwnTime();
    void noticeWithoutParentIsFreed();
    void noticesKeepSeparateTimers();

    // input widgets
    void customLineEditReportsLeftClicksOnly();
    void areaListFiltersAndSizes_data();
    void areaListFiltersAndSizes();
    void choosingAnAreaCodeFillsTheCodeAndMovesFocus();
    void areaListClosesWhenTheNumberTakesFocus();
    void programmaticCodeDoesNotOpenTheList();
    void emptyAreaCodeRestoresDefault();
    void durationLabels_data();
    void durationLabels();
    void endPickerListsDurationsUpToADay();
    void startPickerListsBareTimes();
    void pickerEmitsOnlyOnChange();
    void pickerOpensAndClosesFromTheField();
    void menuStaysInsideItsWindow_data();
    void menuStaysInsideItsWindow();
    void pickerKeepsTheHalfHour_data();
    void pickerKeepsTheHalfHour();

    // busy indicators
    void spinnerDisablesAndReenablesItsParent();
    void spinnerCentresOverItsParent();
    void spinnerWithoutDisablingLeavesParentEnabled();
    void spinnerOverAnOpeningScreenWaitsForItsPaint_data();
    void spinnerOverAnOpeningScreenWaitsForItsPaint();
    void indicatorBarGeometry_data();
    void indicatorBarGeometry();
    void indicatorTurnsByThirtyDegrees();
    void indicatorDelayChangeDoesNotStartIt();
    void stoppedIndicatorDrawsNothing();

    // images
    void pngImagesTakeTheirSharpCopyWhereThereIsOne_data();
    void pngImagesTakeTheirSharpCopyWhereThereIsOne();
    void plainPixmapLabelKeepsItsColoursWhenDisabled();
    void windowIconHasTheSmallSizes();
};

void TestWidgets::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    qApp->setStyleSheet(styleSheetText());
    // The navigator dismisses open messages on the manager's signals.
    QVERIFY(Navigator::instance());
}

// ---------------------------------------------------------------- style sheet

void TestWidgets::styleSheetParsesAndNamesOnlyEmbeddedImages()
{
    const QString qss = styleSheetText();
    QVERIFY(!qss.isEmpty());
    QVERIFY(qss.count(QLatin1Char('{')) >= 125);
    QCOMPARE(qss.count(QLatin1Char('{')), qss.count(QLatin1Char('}')));

    const QRegularExpression url(QStringLiteral("url\\(([^)]*)\\)"));
    auto it = url.globalMatch(qss);
    int images = 0;
    while (it.hasNext()) {
        const QString path = it.next().captured(1);
        QVERIFY2(path.startsWith(QLatin1String(":/image/images/")), qPrintable(path));
        QVERIFY2(QFile::exists(path), qPrintable(path));
        ++images;
    }
    QVERIFY(images >= 25);

    // Qt reports a sheet it cannot parse only as a warning; a widget that is
    // polished with it must not produce one.
    static QStringList warnings;
    warnings.clear();
    QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &msg) {
            if (type == QtWarningMsg)
                warnings << msg;
        });
    QWidget probe;
    probe.setStyleSheet(qss);
    probe.ensurePolished();
    QLineEdit edit(&probe);
    edit.ensurePolished();
    qInstallMessageHandler(previous);
    for (const QString &w : qAsConst(warnings))
        QVERIFY2(!w.contains(QLatin1String("parse")), qPrintable(w));
}

void TestWidgets::brokenLinesDrawInEitherOrientation_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::newRow("dotted across") << "dottedLine" << QSize(120, 1);
    QTest::newRow("dotted upright") << "dottedLine" << QSize(1, 60);
    QTest::newRow("dashed across") << "dashedLine" << QSize(120, 1);
    QTest::newRow("dashed upright") << "dashedLine" << QSize(1, 60);
}

void TestWidgets::brokenLinesDrawInEitherOrientation()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    QFrame line;
    line.setObjectName(name);
    line.resize(size);
    const QImage image = renderPlain(&line, QWidget::DrawChildren);
    int inked = 0;
    int gaps = 0;
    const int length = qMax(size.width(), size.height());
    // Away from the ends, where the crossing edges of the box add their own ink.
    for (int k = 4; k < length - 4; ++k) {
        const QColor c = size.width() > size.height() ? image.pixelColor(k, 0) : image.pixelColor(0, k);
        if (c.alpha() == 0) {
            ++gaps;
            continue;
        }
        ++inked;
        // #CACACA, give or take premultiplication rounding of faint dots.
        QVERIFY2(qAbs(c.red() - 0xCA) <= 3 && c.red() == c.green() && c.green() == c.blue(),
                 qPrintable(c.name()));
    }
    // A broken line: ink along most of it, with gaps between the marks.
    QVERIFY2(inked >= (length - 8) / 4, qPrintable(QString::number(inked)));
    QVERIFY2(gaps > 0, qPrintable(QString::number(gaps)));
}

void TestWidgets::unnamedLineEditKeepsTheGreyDefaultBorder()
{
    QLineEdit edit;
    edit.setObjectName(QStringLiteral("noSuchRuleQLineEdit"));
    edit.resize(120, 30);
    const QImage image = renderPlain(&edit);
    QCOMPARE(image.pixelColor(60, 0).name(), QStringLiteral("#cacaca"));
    QCOMPARE(image.pixelColor(0, 15).name(), QStringLiteral("#cacaca"));
}

void TestWidgets::defaultButtonStates()
{
    QWidget window;
    auto *button = new QPushButton(QStringLiteral("确定"), &window);
    button->setObjectName(QStringLiteral("defaultQPushButton"));
    button->setGeometry(20, 20, 100, 32);
    QCOMPARE(renderPlain(button).pixelColor(5, 16).name(), QStringLiteral("#006fff"));
    button->setEnabled(false);
    QCOMPARE(renderPlain(button).pixelColor(5, 16).name(), QStringLiteral("#80b7ff"));

    // Hovered: lighter blue inside a two-pixel #008FFF border.
    button->setEnabled(true);
    showActive(&window);
    QTest::mouseMove(&window, QPoint(5, 5));
    QTest::mouseMove(button, QPoint(50, 16));
    QTRY_VERIFY(button->underMouse());
    const QImage hovered = renderPlain(button);
    QCOMPARE(hovered.pixelColor(5, 16).name(), QStringLiteral("#1a8cff"));
    QCOMPARE(hovered.pixelColor(0, 16).name(), QStringLiteral("#008fff"));
    QCOMPARE(hovered.pixelColor(1, 16).name(), QStringLiteral("#008fff"));
}

void TestWidgets::placeholdersStayHintGrey()
{
    // Without the fix a style-sheet colour paints hints like typed text.
    QLineEdit before;
    before.setObjectName(QStringLiteral("normalQLineEdit"));
    before.ensurePolished();
    QCOMPARE(before.palette().color(QPalette::PlaceholderText).name(), QStringLiteral("#333333"));

    PlaceholderColor::install(qApp);
    PlaceholderColor::install(qApp); // a second install adds nothing
    QCOMPARE(qApp->findChildren<PlaceholderColor *>().size(), 1);

    QWidget window;
    auto *edit = new QLineEdit(&window);
    edit->setObjectName(QStringLiteral("normalQLineEdit"));
    edit->setPlaceholderText(QStringLiteral("请输入会议号"));
    edit->resize(200, 30);
    PhoneNumEdit phone(&window);
    showActive(&window);
    QCOMPARE(edit->palette().color(QPalette::PlaceholderText).name(), QStringLiteral("#999999"));
    QCOMPARE(edit->palette().color(QPalette::Text).name(), QStringLiteral("#333333"));
    auto *number = phone.findChild<QLineEdit *>(QStringLiteral("underlinePaddingQLineEdit"));
    QCOMPARE(number->palette().color(QPalette::PlaceholderText).name(), QStringLiteral("#999999"));

    // Still right after focus changes and a fresh polish.
    edit->setFocus();
    edit->style()->unpolish(edit);
    edit->style()->polish(edit);
    QCOMPARE(edit->palette().color(QPalette::PlaceholderText).name(), QStringLiteral("#999999"));
    QCOMPARE(edit->palette().color(QPalette::Text).name(), QStringLiteral("#333333"));
}

// ----------------------------------------------------------- frameless dialogs

void TestWidgets::shadowRingsFadeOutward_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("400x180") << QSize(400, 180);
    QTest::newRow("resized 260x320") << QSize(260, 320);
}

void TestWidgets::shadowRingsFadeOutward()
{
    QFETCH(QSize, size);
    BorderDialog dlg;
    dlg.resize(size);
    const QImage image = renderAtDoubleScale(&dlg);
    const int w = size.width();
    const int h = size.height();

    const int expected[10] = {150, 100, 79, 63, 50, 38, 27, 17, 8, 0};
    for (int i = 0; i < 10; ++i)
        QCOMPARE(int(150 - 50 * qSqrt(i)), expected[i]);

    // Ring i lies on the logical line 10 - i (and w - 10 + i); at double scale
    // its outer device pixel belongs to that ring alone.
    for (int i = 0; i < 10; ++i) {
        const int outer = 2 * (10 - i) - 1;
        const QColor left = image.pixelColor(outer, h);
        const QColor top = image.pixelColor(w, outer);
        const QColor right = image.pixelColor(2 * (w - 10 + i), h);
        const QColor bottom = image.pixelColor(w, 2 * (h - 10 + i));
        for (const QColor &c : {left, top, right, bottom}) {
            QCOMPARE(c.alpha(), expected[i]);
            // Grey (150, 150, 150), give or take premultiplication rounding.
            if (c.alpha() >= 50)
                QVERIFY2(qAbs(c.red() - 150) <= 3 && c.red() == c.blue(), qPrintable(c.name()));
        }
    }
    // Content is opaque white right up to the rings.
    QCOMPARE(image.pixelColor(2 * 10 + 2, h), QColor(Qt::white));
    QCOMPARE(image.pixelColor(w, h), QColor(Qt::white));
    // The outermost ring touches the widget's edge and is fully faded.
    QCOMPARE(image.pixelColor(0, h).alpha(), 0);
    QCOMPARE(image.pixelColor(2 * w - 1, h).alpha(), 0);
    // Painted in pieces, the frame is the whole one pixel for pixel, at both scales.
    QCOMPARE(image, BorderDialog::frameImage(size, 2));
    QCOMPARE(renderPlain(&dlg), BorderDialog::frameImage(size, 1));
}

void TestWidgets::twoButtonDialogFormAndNames()
{
    TwoBtnDlg dlg;
    dlg.setShowMsg(QStringLiteral("关闭会议后不可恢复，是否确定继续该操作？"));
    dlg.setLeftBtnTxt(QStringLiteral("取消"));
    dlg.setRightBtnTxt(QStringLiteral("确定"));

    QCOMPARE(dlg.windowTitle(), QStringLiteral("温馨提示"));
    QCOMPARE(dlg.size(), QSize(400, 180));
    QVERIFY(dlg.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(dlg.testAttribute(Qt::WA_TranslucentBackground));
    QCOMPARE(dlg.windowModality(), Qt::ApplicationModal);

    auto *left = dlg.findChild<QPushButton *>(QStringLiteral("normalQPushButton"));
    auto *right = dlg.findChild<QPushButton *>(QStringLiteral("defaultQPushButton"));
    auto *msg = dlg.findChild<QLabel *>(QStringLiteral("messageQLabel"));
    QVERIFY(left && right && msg);
    QVERIFY(!dlg.findChild<QObject *>(QStringLiteral("leftBtn")));
    QVERIFY(!dlg.findChild<QObject *>(QStringLiteral("rightBtn")));
    QCOMPARE(left->text(), QStringLiteral("取消"));
    QCOMPARE(right->text(), QStringLiteral("确定"));
    QCOMPARE(msg->text(), QStringLiteral("关闭会议后不可恢复，是否确定继续该操作？"));
    QVERIFY(msg->wordWrap());
    QCOMPARE(left->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(right->cursor().shape(), Qt::PointingHandCursor);
    QVERIFY(!left->isHidden());

    // The message keeps its width; both buttons stay 32 high.
    QCOMPARE(msg->minimumWidth(), 310);
    QCOMPARE(msg->alignment(), Qt::AlignCenter);
    for (QPushButton *b : {left, right}) {
        QCOMPARE(b->minimumSize(), QSize(90, 32));
        QCOMPARE(b->maximumHeight(), 32);
    }
    // Nothing is laid over the 10-pixel shadow.
    QCOMPARE(dlg.layout()->contentsMargins(), QMargins(10, 10, 10, 10));
    QCOMPARE(dlg.layout()->spacing(), 5);
}

void TestWidgets::oneButtonDialogFormAndNames()
{
    TwoBtnDlg dlg(QStringLiteral("知道了"));
    auto *left = dlg.findChild<QPushButton *>(QStringLiteral("normalQPushButton"));
    auto *right = dlg.findChild<QPushButton *>(QStringLiteral("defaultQPushButton"));
    QVERIFY(left && right);
    QVERIFY(left->isHidden());
    QCOMPARE(right->text(), QStringLiteral("知道了"));
}

void TestWidgets::dialogResult_data()
{
    QTest::addColumn<bool>("twoButtons");
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<int>("result");

    QTest::newRow("two: right confirms") << true << "right" << true << int(QDialog::Accepted);
    QTest::newRow("two: left cancels") << true << "left" << true << int(QDialog::Rejected);
    QTest::newRow("two: launch link cancels") << true << "linkJoin" << true << int(QDialog::Rejected);
    QTest::newRow("two: leaving the meeting cancels") << true << "leave" << true << int(QDialog::Rejected);
    QTest::newRow("two: same-dialog notice keeps it") << true << "avoid" << false << int(QDialog::Accepted);
    QTest::newRow("one: button acknowledges") << false << "right" << true << int(QDialog::Accepted);
    QTest::newRow("one: same-dialog notice dismisses") << false << "avoid" << true << int(QDialog::Rejected);
    QTest::newRow("one: launch link keeps it") << false << "linkJoin" << false << int(QDialog::Accepted);
    QTest::newRow("one: leaving keeps it") << false << "leave" << false << int(QDialog::Accepted);
}

void TestWidgets::dialogResult()
{
    QFETCH(bool, twoButtons);
    QFETCH(QString, action);
    QFETCH(bool, closes);
    QFETCH(int, result);

    TwoBtnDlg *dlg = twoButtons ? new TwoBtnDlg : new TwoBtnDlg(QStringLiteral("确定"));
    QScopedPointer<TwoBtnDlg> guard(dlg);
    dlg->setShowMsg(QStringLiteral("确定离开当前会议，加入新会议？"));
    dlg->setLeftBtnTxt(QStringLiteral("取消"));
    dlg->setRightBtnTxt(QStringLiteral("确定"));

    bool checked = false;
    onModal([&](TwoBtnDlg *shown) {
        QCOMPARE(shown, dlg);
        WeMeetManager *manager = WeMeetManager::instance();
        auto *left = shown->findChild<QPushButton *>(QStringLiteral("normalQPushButton"));
        auto *right = shown->findChild<QPushButton *>(QStringLiteral("defaultQPushButton"));
        if (action == QLatin1String("right"))
            QTest::mouseClick(right, Qt::LeftButton);
        else if (action == QLatin1String("left"))
            QTest::mouseClick(left, Qt::LeftButton);
        else if (action == QLatin1String("linkJoin"))
            emit manager->linkJoinMeetingSignal();
        else if (action == QLatin1String("leave"))
            emit manager->OnLeaveMeetingFinishSignal(QString());
        else if (action == QLatin1String("avoid"))
            emit manager->avoidShowSameDialogSignal();
        QCoreApplication::processEvents();
        QCOMPARE(shown->isVisible(), !closes);
        if (!closes)
            QTest::mouseClick(right, Qt::LeftButton);
        checked = true;
    });
    QCOMPARE(dlg->exec(), result);
    QVERIFY(checked);
}

void TestWidgets::dialogDragsOnlyWhilePressed()
{
    TwoBtnDlg dlg(QStringLiteral("确定"));
    dlg.move(100, 100);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    const QPoint start = dlg.pos();

    sendMouse(&dlg, QEvent::MouseButtonPress, QPoint(30, 20), Qt::LeftButton);
    sendMouse(&dlg, QEvent::MouseMove, QPoint(70, 50), Qt::LeftButton);
    QCOMPARE(dlg.pos(), start + QPoint(40, 30));
    sendMouse(&dlg, QEvent::MouseButtonRelease, QPoint(70, 50), Qt::NoButton);
    const QPoint dropped = dlg.pos();
    sendMouse(&dlg, QEvent::MouseMove, QPoint(10, 10), Qt::NoButton);
    QCOMPARE(dlg.pos(), dropped);
}

void TestWidgets::borderDialogDragsOnlyWhenSwitchedOnAndWithTheLeftButton_data()
{
    QTest::addColumn<bool>("draggable");
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("moves");
    QTest::newRow("draggable, left") << true << int(Qt::LeftButton) << true;
    QTest::newRow("draggable, right") << true << int(Qt::RightButton) << false;
    QTest::newRow("draggable, middle") << true << int(Qt::MiddleButton) << false;
    QTest::newRow("not draggable, left") << false << int(Qt::LeftButton) << false;
}

void TestWidgets::borderDialogDragsOnlyWhenSwitchedOnAndWithTheLeftButton()
{
    QFETCH(bool, draggable);
    QFETCH(int, button);
    QFETCH(bool, moves);
    DragProbe dlg(draggable);
    dlg.move(100, 100);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    const QPoint start = dlg.pos();
    const auto pressed = Qt::MouseButton(button);

    auto send = [&](QEvent::Type type, QPoint local, Qt::MouseButton which, Qt::MouseButtons held) {
        QMouseEvent event(type, local, dlg.mapToGlobal(local), which, held, Qt::NoModifier);
        QApplication::sendEvent(&dlg, &event);
    };
    send(QEvent::MouseButtonPress, QPoint(30, 20), pressed, pressed);
    send(QEvent::MouseMove, QPoint(70, 50), Qt::NoButton, pressed);
    QCOMPARE(dlg.pos(), moves ? start + QPoint(40, 30) : start);

    // Releasing the left button ends the drag; later moves leave the window alone.
    send(QEvent::MouseButtonRelease, QPoint(70, 50), pressed, Qt::NoButton);
    const QPoint dropped = dlg.pos();
    send(QEvent::MouseMove, QPoint(10, 10), Qt::NoButton, Qt::NoButton);
    QCOMPARE(dlg.pos(), dropped);
}

// --------------------------------------------------------------------- notices

void TestWidgets::noticeWrapsOnlyWideTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("wraps");
    QTest::newRow("short confirmation") << QStringLiteral("会议邀请已复制到剪贴板") << false;
    QTest::newRow("validation message") << QStringLiteral("会议开始时间应大于当前时间") << false;
    QTest::newRow("long failure text")
        << QStringLiteral("请求失败：服务暂时不可用，请检查网络连接后重新尝试，如问题持续存在请联系管理员")
        << true;
}

void TestWidgets::noticeWrapsOnlyWideTexts()
{
    QFETCH(QString, text);
    QFETCH(bool, wraps);

    QWidget parent;
    parent.resize(600, 400);
    parent.show();
    Snackbar::showMessage(text, &parent, 60000);
    auto *label = parent.findChild<QLabel *>(QStringLiteral("snackbarQLabel"));
    QVERIFY(label);
    QCOMPARE(label->text(), text);
    QCOMPARE(label->wordWrap(), wraps);
    QVERIFY(label->isVisible());
    QCOMPARE(label->maximumWidth(), 340);
    QCOMPARE(label->font().pixelSize(), 14);

    const int advance = QFontMetrics(label->font()).horizontalAdvance(text);
    QCOMPARE(advance > 340, wraps);
    if (!wraps) {
        // One line that fits entirely.
        QVERIFY(label->width() >= advance + 2 * label->margin());
    } else {
        QVERIFY(label->width() <= 340);
        QVERIFY(label->heightForWidth(label->width()) >= 2 * QFontMetrics(label->font()).lineSpacing());
    }
    auto *notice = qobject_cast<QDialog *>(label->window());
    QVERIFY(notice);
    QVERIFY(notice->windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(notice->testAttribute(Qt::WA_TranslucentBackground));
    QVERIFY(!notice->isModal());
}

void TestWidgets::noticeClosesAfterItsOwnTime()
{
    QScopedValueRollback<int> shortNotice(Waits::noticeMs, 80);
    QWidget parent;
    parent.show();
    Snackbar::showMessage(QStringLiteral("会议邀请已复制到剪贴板"), &parent);
    QPointer<Snackbar> notice = parent.findChild<Snackbar *>();
    QVERIFY(notice);
    QVERIFY(notice->isVisible());
    QCOMPARE(notice->parentWidget(), &parent);
    QTRY_VERIFY_WITH_TIMEOUT(notice.isNull() || !notice->isVisible(), 2000);
    // A screen that lives all run must not collect closed notices.
    QTRY_VERIFY_WITH_TIMEOUT(notice.isNull(), 2000);
    QVERIFY(parent.findChildren<Snackbar *>().isEmpty());
}

void TestWidgets::noticeWithoutParentIsFreed()
{
    const auto before = QApplication::topLevelWidgets().size();
    Snackbar::showMessage(QStringLiteral("Vesk云会议"), nullptr, 30);
    QPointer<Snackbar> notice;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *s = qobject_cast<Snackbar *>(w))
            notice = s;
    }
    QVERIFY(notice);
    QVERIFY(notice->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(notice.isNull(), 2000);
    QCOMPARE(QApplication::topLevelWidgets().size(), before);
}

void TestWidgets::noticesKeepSeparateTimers()
{
    QWidget parent;
    parent.show();
    Snackbar::showMessage(QStringLiteral("第一条"), &parent, 50);
    Snackbar::showMessage(QStringLiteral("第二条"), &parent, 60000);
    const auto notices = parent.findChildren<Snackbar *>();
    QCOMPARE(notices.size(), 2);
    Snackbar *first = nullptr;
    Snackbar *second = nullptr;
    for (Snackbar *s : notices) {
        const QString text = s->findChild<QLabel *>()->text();
        (text == QStringLiteral("第一条") ? first : second) = s;
    }
    QVERIFY(first && second);
    QPointer<Snackbar> firstAlive(first);
    QTRY_VERIFY_WITH_TIMEOUT(firstAlive.isNull(), 2000);
    QVERIFY(second->isVisible());
    // A foreign timer event does not close a notice.
    QTimerEvent foreign(987654);
    QApplication::sendEvent(second, &foreign);
    QVERIFY(second->isVisible());
}

// --------------------------------------------------------------- input widgets

void TestWidgets::customLineEditReportsLeftClicksOnly()
{
    CustomLineEdit edit;
    QSignalSpy clicks(&edit, &CustomLineEdit::clicked);
    QTest::mouseClick(&edit, Qt::RightButton);
    QCOMPARE(clicks.count(), 0);
    QTest::mouseClick(&edit, Qt::LeftButton);
    QCOMPARE(clicks.count(), 1);
}

void TestWidgets::areaListFiltersAndSizes_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("codes");
    QTest::addColumn<int>("viewportHeight");

    QTest::newRow("8 matches scroll in five rows")
        << "8" << QStringList{"380", "81", "82", "852", "853", "86", "880", "886"} << 150;
    QTest::newRow("4 matches fit without scrolling") << "4" << QStringList{"1144", "1441", "44", "49"} << 120;
    QTest::newRow("3 matches") << "44" << QStringList{"1144", "1441", "44"} << 90;
    QTest::newRow("exact single match") << "49" << QStringList{"49"} << 30;
    QTest::newRow("no match hides the list") << "99" << QStringList() << 0;
}

void TestWidgets::areaListFiltersAndSizes()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, codes);
    QFETCH(int, viewportHeight);

    PhoneField field;
    field.show();
    auto &[window, edit, code, number, list] = field;
    QVERIFY(code && number && list);
    QVERIFY(number->hasFocus());
    QVERIFY(list->isHidden());
    QCOMPARE(edit.areaCode(), QStringLiteral("86"));
    QCOMPARE(edit.focusProxy(), number);

    QTest::mouseClick(code, Qt::LeftButton);
    QVERIFY(code->hasFocus());
    QVERIFY(list->isVisible());
    code->selectAll();
    QTest::keyClicks(code, typed);
    QCOMPARE(code->text(), typed);

    QStringList shown;
    for (int i = 0; i < list->count(); ++i) {
        QListWidgetItem *item = list->item(i);
        shown << item->text();
        QCOMPARE(item->data(Qt::WhatsThisRole).toString(), item->text());
        QWidget *row = list->itemWidget(item);
        QVERIFY(row);
        auto *codeLabel = row->findChild<QLabel *>(QStringLiteral("normalBlueQLabel"));
        auto *nameLabel = row->findChild<QLabel *>(QStringLiteral("leftSpaceQLabel"));
        QVERIFY(codeLabel && nameLabel);
        QCOMPARE(codeLabel->text(), QStringLiteral(" +") + item->text());
    }
    QCOMPARE(shown, codes);

    if (codes.isEmpty()) {
        QVERIFY(!list->isVisible());
        QCOMPARE(edit.height(), 30);
        return;
    }
    QVERIFY(list->isVisible());
    QCOMPARE(list->viewport()->height(), viewportHeight);
    QCOMPARE(list->height(), viewportHeight + 3);
    QCOMPARE(edit.height(), number->height() + viewportHeight + 8);
    QCOMPARE(edit.width(), 319);
    if (list->currentItem() || codes.contains(typed))
        QCOMPARE(list->currentItem()->text(), typed);
    // Five rows are shown; only the rows beyond them scroll.
    QTRY_COMPARE(list->verticalScrollBar()->maximum(), qMax(0, codes.size() - 5));
}

void TestWidgets::choosingAnAreaCodeFillsTheCodeAndMovesFocus()
{
    PhoneField field;
    field.show();
    auto &[window, edit, code, number, list] = field;
    QTest::mouseClick(code, Qt::LeftButton);
    code->selectAll();
    QTest::keyClicks(code, QStringLiteral("85"));
    QCOMPARE(list->count(), 2);

    QListWidgetItem *item = list->item(1);
    QCOMPARE(item->text(), QStringLiteral("853"));
    const QPoint where = list->visualItemRect(item).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, where);

    QCOMPARE(edit.areaCode(), QStringLiteral("853"));
    QVERIFY(!list->isVisible());
    QVERIFY(number->hasFocus());
    QCOMPARE(edit.height(), 30);

    // Keyboard: down into the list, Enter picks the entry.
    QTest::mouseClick(code, Qt::LeftButton);
    code->selectAll();
    QTest::keyClicks(code, QStringLiteral("44"));
    QTest::keyClick(code, Qt::Key_Down);
    QVERIFY(list->hasFocus());
    QCOMPARE(list->currentItem()->text(), QStringLiteral("44"));
    QTest::keyClick(list, Qt::Key_Up);
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(edit.areaCode(), QStringLiteral("1441"));
    QVERIFY(number->hasFocus());
    QVERIFY(!list->isVisible());
}

void TestWidgets::areaListClosesWhenTheNumberTakesFocus()
{
    PhoneField field;
    QLineEdit other(&field.window);
    other.setGeometry(10, 250, 200, 30);
    field.show();
    auto &[window, edit, code, number, list] = field;

    QTest::mouseClick(code, Qt::LeftButton);
    QVERIFY(list->isVisible());
    edit.setPhoneNumberFocus();
    QVERIFY(!list->isVisible());
    QCOMPARE(edit.height(), 30);

    // Leaving the code for another widget of the screen closes it as well.
    QTest::mouseClick(code, Qt::LeftButton);
    QVERIFY(list->isVisible());
    other.setFocus();
    QVERIFY(!list->isVisible());
    QCOMPARE(edit.height(), 30);

    // Escape closes the list and keeps the code edit in charge.
    QTest::mouseClick(code, Qt::LeftButton);
    QVERIFY(list->isVisible());
    QTest::keyClick(code, Qt::Key_Escape);
    QVERIFY(!list->isVisible());
    QVERIFY(code->hasFocus());
}

void TestWidgets::programmaticCodeDoesNotOpenTheList()
{
    PhoneField field;
    field.show();
    auto &[window, edit, code, number, list] = field;
    QSignalSpy changes(code, &QLineEdit::textChanged);

    edit.setAreaCode(QStringLiteral("852"));
    edit.setPhoneNumber(QStringLiteral("13800000000"));
    QCOMPARE(edit.areaCode(), QStringLiteral("852"));
    QCOMPARE(edit.phoneNumber(), QStringLiteral("13800000000"));
    QCOMPARE(changes.count(), 1);
    QVERIFY(!list->isVisible());
    QCOMPARE(edit.height(), 30);

    edit.setAreaCodeEnabled(false);
    QVERIFY(!code->isEnabled());
    edit.setAreaCodeEnabled(true);
    QVERIFY(code->isEnabled());
}

void TestWidgets::emptyAreaCodeRestoresDefault()
{
    PhoneNumEdit edit;
    edit.setAreaCode(QStringLiteral("1"));
    QCOMPARE(edit.areaCode(), QStringLiteral("1"));
    edit.setAreaCode(QString());
    QCOMPARE(edit.areaCode(), QStringLiteral("86"));
    edit.setAreaCode(QStringLiteral(""));
    QCOMPARE(edit.areaCode(), QStringLiteral("86"));

    // Digits only, at most four of them.
    auto *code = edit.findChild<QLineEdit *>(QStringLiteral("noBorderQLineEdit"));
    auto *number = edit.findChild<QLineEdit *>(QStringLiteral("underlinePaddingQLineEdit"));
    code->clear();
    QTest::keyClicks(code, QStringLiteral("8a5b21"));
    QCOMPARE(code->text(), QStringLiteral("8521"));
    number->clear();
    QTest::keyClicks(number, QStringLiteral("138-0013 8000"));
    QCOMPARE(number->text(), QStringLiteral("13800138000"));
    QCOMPARE(number->placeholderText(), QStringLiteral("请输入手机号"));
}

void TestWidgets::durationLabels_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("label");
    QTest::newRow("first") << 0 << QStringLiteral("(30分钟)");
    QTest::newRow("one hour") << 1 << QStringLiteral("(1小时)");
    QTest::newRow("one and a half") << 2 << QStringLiteral("(1.5小时)");
    QTest::newRow("two hours") << 3 << QStringLiteral("(2小时)");
    QTest::newRow("twenty-three and a half") << 46 << QStringLiteral("(23.5小时)");
    QTest::newRow("a day") << 47 << QStringLiteral("(24小时)");
}

void TestWidgets::durationLabels()
{
    QFETCH(int, index);
    QFETCH(QString, label);
    QCOMPARE(VeskDateTimeComboBox::durationText(index), label);
}

void TestWidgets::endPickerListsDurationsUpToADay()
{
    const QDateTime start(QDate(2026, 12, 8), QTime(0, 0));
    QList<QDateTime> ends;
    for (int k = 1; k <= 48; ++k)
        ends << start.addSecs(1800 * k);

    QWidget window;
    window.resize(300, 300);
    VeskDateTimeComboBox picker(&window);
    picker.setGeometry(10, 10, 117, 30);
    picker.setShowDuration(true);
    picker.setDateTimeList(ends);
    picker.setDateTime(ends.first());
    showActive(&window);
    QCOMPARE(picker.objectName(), QStringLiteral("VeskDateTimeComboBox"));

    picker.showTimeList();
    auto *list = picker.findChild<QListWidget *>(QStringLiteral("timeQListWidget"));
    QVERIFY(list);
    QVERIFY(list->isVisible());
    QVERIFY(list->hasFocus());
    QCOMPARE(list->count(), 48);
    QCOMPARE(picker.height(), 190);
    QCOMPARE(list->height(), 155);
    QCOMPARE(list->viewport()->height(), 155);
    QCOMPARE(list->currentRow(), 0);

    auto rowText = [list](int i) {
        return list->itemWidget(list->item(i))
            ->findChild<QLabel *>(QStringLiteral("leftSpaceSmallQLabel"))
            ->text();
    };
    QCOMPARE(rowText(0), QStringLiteral("00:30(30分钟)"));
    QCOMPARE(rowText(1), QStringLiteral("01:00(1小时)"));
    QCOMPARE(rowText(2), QStringLiteral("01:30(1.5小时)"));
    QCOMPARE(rowText(46), QStringLiteral("23:30(23.5小时)"));
    QCOMPARE(rowText(47), QStringLiteral("次日 00:00(24小时)"));
    QCOMPARE(list->item(47)->data(Qt::WhatsThisRole).toDateTime(),
             QDateTime(QDate(2026, 12, 9), QTime(0, 0)));

    // Choosing the last entry keeps its date: the end lies on the next day.
    QSignalSpy changes(&picker, &VeskDateTimeComboBox::dateTimeChanged);
    picker.setTimeBySelect(list->item(47));
    QCOMPARE(changes.count(), 1);
    QCOMPARE(picker.dateTime(), QDateTime(QDate(2026, 12, 9), QTime(0, 0)));
    QCOMPARE(changes.first().first().toDateTime(), QDateTime(QDate(2026, 12, 9), QTime(0, 0)));
    QVERIFY(!list->isVisible());
    QCOMPARE(picker.height(), 30);

    // Reopened, the list marks the chosen entry.
    picker.showTimeList();
    QCOMPARE(list->currentRow(), 47);
}

void TestWidgets::startPickerListsBareTimes()
{
    const QDateTime first(QDate(2026, 12, 8), QTime(10, 30));
    QList<QDateTime> starts;
    for (int k = 0; k < 27; ++k)
        starts << first.addSecs(1800 * k);

    VeskDateTimeComboBox picker;
    picker.resize(117, 30);
    picker.setDateTimeList(starts);
    QVERIFY(!picker.showDuration());
    // A time taken over from another day still marks its entry.
    picker.setDateTime(QDateTime(QDate(2026, 12, 20), QTime(11, 30)));
    picker.showTimeList();
    auto *list = picker.findChild<QListWidget *>(QStringLiteral("timeQListWidget"));
    QCOMPARE(list->count(), 27);
    for (int i = 0; i < list->count(); ++i) {
        const QString text = list->itemWidget(list->item(i))->findChild<QLabel *>()->text();
        QCOMPARE(text, starts.at(i).toString(QStringLiteral("hh:mm")));
    }
    QCOMPARE(list->currentRow(), 2);
}

void TestWidgets::pickerEmitsOnlyOnChange()
{
    const QDateTime base(QDate(2026, 12, 8), QTime(9, 0));
    QList<QDateTime> entries{base, base.addSecs(1800), base.addSecs(3600)};
    VeskDateTimeComboBox picker;
    picker.resize(117, 30);
    picker.setDateTimeList(entries);
    picker.setDateTime(base);
    QSignalSpy changes(&picker, &VeskDateTimeComboBox::dateTimeChanged);

    picker.setDateTime(base);
    QCOMPARE(changes.count(), 0);

    picker.showTimeList();
    auto *list = picker.findChild<QListWidget *>(QStringLiteral("timeQListWidget"));
    picker.setTimeBySelect(list->item(0));
    QCOMPARE(changes.count(), 0);

    picker.showTimeList();
    picker.setTimeBySelect(list->item(2));
    QCOMPARE(changes.count(), 1);
    QCOMPARE(picker.dateTime(), base.addSecs(3600));

    // Typing into the time field is forwarded too.
    auto *edit = picker.findChild<QTimeEdit *>(QStringLiteral("tEditTime"));
    QVERIFY(edit);
    QCOMPARE(edit->displayFormat(), QStringLiteral("hh:mm"));
    edit->setTime(QTime(14, 15));
    QCOMPARE(changes.count(), 2);
    QCOMPARE(picker.dateTime(), QDateTime(base.date(), QTime(14, 15)));
}

void TestWidgets::menuStaysInsideItsWindow_data()
{
    QTest::addColumn<QPoint>("button");
    QTest::addColumn<bool>("above");
    QTest::newRow("room below") << QPoint(200, 40) << false;
    QTest::newRow("last row") << QPoint(200, 260) << true;
}

void TestWidgets::menuStaysInsideItsWindow()
{
    QFETCH(QPoint, button);
    QFETCH(bool, above);
    QWidget window;
    window.setGeometry(100, 100, 300, 300);
    auto *opener = new QPushButton(QStringLiteral("..."), &window);
    opener->setGeometry(QRect(button, QSize(50, 20)));
    showActive(&window);
    ShadowMenu menu;
    menu.setAnchor(opener);
    for (const char *text : {"修改会议", "邀请信息", "关闭会议"})
        menu.addAction(QString::fromUtf8(text));
    opener->setMenu(&menu);
    QRect shown;
    QTimer::singleShot(0, &menu, [&] {
        shown = menu.geometry();
        menu.close();
    });
    opener->showMenu();
    const int ring = BorderDialog::shadowWidth;
    const QRect panel = shown.adjusted(ring, ring, -ring, -ring);
    const QRect at(opener->mapToGlobal(QPoint(0, 0)), opener->size());
    QVERIFY(window.frameGeometry().contains(shown));
    QCOMPARE(panel.bottom() < at.top(), above);
}

void TestWidgets::pickerKeepsTheHalfHour_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("focused");
    QTest::addColumn<QTime>("time");
    QTest::newRow("up on the minutes") << "up" << true << QTime(23, 30);
    QTest::newRow("down") << "down" << true << QTime(22, 30);
    QTest::newRow("typed off the half hour") << "2215" << true << QTime(22, 0);
    QTest::newRow("wheel with the focus") << "wheel" << true << QTime(22, 30);
    QTest::newRow("wheel passing over") << "wheel" << false << QTime(23, 0);
}

void TestWidgets::pickerKeepsTheHalfHour()
{
    QFETCH(QString, input);
    QFETCH(bool, focused);
    QFETCH(QTime, time);
    QWidget form;
    auto *picker = new VeskDateTimeComboBox(&form);
    picker->setGeometry(10, 50, 117, 30);
    auto *other = new QLineEdit(&form);
    picker->setDateTime(QDateTime(QDate(2026, 12, 8), QTime(23, 0)));
    showActive(&form);
    auto *edit = picker->findChild<QTimeEdit *>();
    (focused ? static_cast<QWidget *>(edit) : other)->setFocus();
    QTRY_VERIFY(edit->hasFocus() == focused);
    // The minutes section, where the edit's own step is one minute.
    edit->setCurrentSection(QDateTimeEdit::MinuteSection);

    if (input == QLatin1String("up") || input == QLatin1String("down")) {
        QTest::keyClick(edit, input == QLatin1String("up") ? Qt::Key_Up : Qt::Key_Down);
    } else if (input == QLatin1String("wheel")) {
        const QPoint at = edit->rect().center();
        QWheelEvent wheel(at, edit->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(edit, &wheel);
        // Passing over, it is left to the form, which scrolls.
        QCOMPARE(wheel.isAccepted(), focused);
    } else {
        edit->setSelectedSection(QDateTimeEdit::HourSection);
        QTest::keyClicks(edit, input);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    QCOMPARE(picker->dateTime().time(), time);
}

void TestWidgets::pickerOpensAndClosesFromTheField()
{
    const QDateTime base(QDate(2026, 12, 8), QTime(9, 0));
    QWidget window;
    window.resize(300, 300);
    VeskDateTimeComboBox picker(&window);
    picker.setGeometry(10, 10, 117, 30);
    picker.setDateTimeList({base, base.addSecs(1800)});
    picker.setDateTime(base);
    showActive(&window);

    auto *list = picker.findChild<QListWidget *>(QStringLiteral("timeQListWidget"));
    auto *button = picker.findChild<QPushButton *>(QStringLiteral("pBtnShowList"));
    auto *background = picker.findChild<QWidget *>(QStringLiteral("wtBackground"));
    auto *edit = picker.findChild<QTimeEdit *>(QStringLiteral("tEditTime"));
    QVERIFY(list && button && background && edit);
    QCOMPARE(button->cursor().shape(), Qt::PointingHandCursor);
    QVERIFY(button->text().isEmpty());
    QCOMPARE(button->minimumSize(), QSize(15, 28));
    QCOMPARE(edit->minimumSize(), QSize(80, 28));
    QCOMPARE(edit->buttonSymbols(), QAbstractSpinBox::NoButtons);
    QCOMPARE(list->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(list->verticalScrollBar()->objectName(), QStringLiteral("phoneAreaCodeQScrollBar"));

    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(list->isVisible());
    QVERIFY(list->hasFocus());
    QCOMPARE(picker.height(), 190);
    QCOMPARE(list->count(), 2);
    // The button only ever opens the list: a second click lists it afresh.
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(list->isVisible());
    QVERIFY(list->hasFocus());
    QCOMPARE(picker.height(), 190);
    QCOMPARE(list->count(), 2);
    edit->setFocus();
    QVERIFY(!list->isVisible());
    QCOMPARE(picker.height(), 30);

    // A press on the field's background opens it, also when it is open
    // already; the time edit taking the focus closes it.
    const QPoint spare(background->width() - 25, 5);
    QTest::mousePress(background, Qt::LeftButton, Qt::NoModifier, spare);
    QVERIFY(list->isVisible());
    QTest::mouseRelease(background, Qt::LeftButton, Qt::NoModifier, spare);
    QTest::mousePress(background, Qt::LeftButton, Qt::NoModifier, spare);
    QVERIFY(list->isVisible());
    QCOMPARE(picker.height(), 190);
    QTest::mouseRelease(background, Qt::LeftButton, Qt::NoModifier, spare);
    edit->setFocus();
    QVERIFY(!list->isVisible());
    QCOMPARE(picker.height(), 30);

    // Escape closes an open list.
    picker.showTimeList();
    QTest::keyClick(list, Qt::Key_Escape);
    QVERIFY(!list->isVisible());
    QCOMPARE(picker.height(), 30);
}

// ------------------------------------------------------------- busy indicators

void TestWidgets::spinnerDisablesAndReenablesItsParent()
{
    QWidget screen;
    screen.resize(400, 300);
    screen.show();
    auto *spinner = new WaitingSpinnerWidget(&screen, true, true);
    QVERIFY(spinner->isHidden());
    QCOMPARE(spinner->size(), QSize(150, 80));
    QVERIFY(spinner->windowFlags() & Qt::Tool);
    QVERIFY(spinner->windowFlags() & Qt::FramelessWindowHint);
    // Not above every window: the Meeting SDK's waiting room must stay in view.
    QVERIFY(!(spinner->windowFlags() & Qt::WindowStaysOnTopHint));
    QVERIFY(spinner->testAttribute(Qt::WA_TranslucentBackground));

    spinner->setText(QStringLiteral("正在加载会议列表..."));
    auto *tips = spinner->findChild<QLabel *>(QStringLiteral("tips"));
    QVERIFY(tips);
    QCOMPARE(tips->text(), QStringLiteral("正在加载会议列表..."));
    auto *frame = spinner->findChild<QFrame *>(QStringLiteral("spinnerQFrame"));
    QVERIFY(frame);
    QCOMPARE(frame->geometry(), QRect(5, 5, 140, 70));

    spinner->start();
    QVERIFY(spinner->isVisible());
    QVERIFY(!screen.isEnabled());
    QMovie *movie = nullptr;
    for (QLabel *label : spinner->findChildren<QLabel *>()) {
        if (label->movie())
            movie = label->movie();
    }
    QVERIFY(movie);
    QCOMPARE(movie->state(), QMovie::Running);
    QCOMPARE(movie->speed(), 200);
    QCOMPARE(movie->scaledSize(), QSize(60, 20));
    QVERIFY(movie->isValid());

    spinner->stop();
    QVERIFY(!spinner->isVisible());
    QVERIFY(screen.isEnabled());
    QCOMPARE(movie->state(), QMovie::NotRunning);

    // A second stop only re-enables the owner.
    screen.setEnabled(false);
    spinner->stop();
    QVERIFY(screen.isEnabled());
    QVERIFY(!spinner->isVisible());
}

void TestWidgets::spinnerCentresOverItsParent()
{
    QWidget screen;
    screen.setGeometry(200, 150, 401, 301);
    screen.show();
    WaitingSpinnerWidget spinner(&screen, true, true);
    spinner.start();
    QCOMPARE(spinner.pos(), QPoint(screen.x() + (401 - 150) / 2, screen.y() + (301 - 80) / 2));
    spinner.stop();
}

void TestWidgets::spinnerWithoutDisablingLeavesParentEnabled()
{
    QWidget screen;
    screen.show();
    WaitingSpinnerWidget spinner(&screen, false, false);
    spinner.move(7, 9);
    spinner.start();
    QVERIFY(screen.isEnabled());
    QCOMPARE(spinner.pos(), QPoint(7, 9));
    spinner.stop();
    QVERIFY(screen.isEnabled());

    WaitingSpinnerWidget orphan(nullptr, true, true);
    orphan.start();
    QVERIFY(orphan.isVisible());
    orphan.stop();
    QVERIFY(!orphan.isVisible());
}

void TestWidgets::spinnerOverAnOpeningScreenWaitsForItsPaint_data()
{
    QTest::addColumn<bool>("stopFirst");
    QTest::newRow("wait outlasts the paint") << false;
    QTest::newRow("wait over before the paint") << true;
}

void TestWidgets::spinnerOverAnOpeningScreenWaitsForItsPaint()
{
    QFETCH(bool, stopFirst);
    QWidget screen;
    screen.resize(400, 300);
    screen.show();
    WaitingSpinnerWidget spinner(&screen, true, true);
    spinner.setText(QStringLiteral("正在初始化..."));
    spinner.startAfterOwnerPainted();
    // Input is off at once; the overlay waits for the screen's first frame.
    QVERIFY(!screen.isEnabled());
    QVERIFY(spinner.isSpinning());
    QVERIFY(!spinner.isVisible());
    if (stopFirst)
        spinner.stop();
    QVERIFY(QTest::qWaitForWindowExposed(&screen));
    if (stopFirst) {
        QCoreApplication::processEvents();
        QVERIFY(!spinner.isVisible());
        QVERIFY(!spinner.isSpinning());
        QVERIFY(screen.isEnabled());
        return;
    }
    QTRY_VERIFY(spinner.isVisible());
    QCOMPARE(spinner.pos(), QPoint(screen.x() + (400 - 150) / 2, screen.y() + (300 - 80) / 2));
    QVERIFY(!screen.isEnabled());
    // Over a screen already on view it shows at once.
    spinner.stop();
    spinner.startAfterOwnerPainted();
    QVERIFY(spinner.isVisible());
    spinner.stop();
    QVERIFY(screen.isEnabled());
}

void TestWidgets::indicatorBarGeometry_data()
{
    QTest::addColumn<int>("side");
    QTest::addColumn<int>("barWidth");
    QTest::addColumn<int>("barHeight");
    QTest::addColumn<int>("distance");
    // 20: R 9, inner 3, height 6, width 6 x 0.35 = 2.
    QTest::newRow("20 px") << 20 << 2 << 6 << 9;
    // 64: R 31, inner 11, height 20, width 20 x 0.23 = 4 (0.35 would give 7).
    QTest::newRow("64 px") << 64 << 4 << 20 << 31;
}

void TestWidgets::indicatorBarGeometry()
{
    QFETCH(int, side);
    QFETCH(int, barWidth);
    QFETCH(int, barHeight);
    QFETCH(int, distance);

    ProgressIndicator indicator;
    indicator.resize(side, side);
    indicator.setColor(QColor(0, 0, 255));
    indicator.setDisplayedWhenStopped(true);
    const QImage image = renderPlain(&indicator, QWidget::DrawChildren);

    // Bar 0 stands upright above the centre, fully opaque.
    const QPoint c = QRect(0, 0, side, side).center();
    const int top = c.y() - distance;
    const int left = c.x() - barWidth / 2;
    auto alphaAt = [&image](int x, int y) { return image.pixelColor(x, y).alpha(); };
    // Near the outer end, where the neighbouring bars are far enough away.
    const int mid = top + 1;
    for (int x = left; x < left + barWidth; ++x)
        QVERIFY2(alphaAt(x, mid) > 200, qPrintable(QString::number(x)));
    QCOMPARE(alphaAt(left - 1, mid), 0);
    QCOMPARE(alphaAt(left + barWidth, mid), 0);
    QVERIFY(alphaAt(c.x(), top + barHeight - 2) > 0);
    QCOMPARE(alphaAt(c.x(), top + barHeight + 1), 0);
    QCOMPARE(image.pixelColor(c.x(), mid).blue(), 255);

    QCOMPARE(indicator.sizeHint(), QSize(20, 20));
    QCOMPARE(indicator.heightForWidth(33), 33);
    QCOMPARE(indicator.sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
    QCOMPARE(indicator.focusPolicy(), Qt::NoFocus);
}

void TestWidgets::indicatorTurnsByThirtyDegrees()
{
    ProgressIndicator indicator;
    QCOMPARE(indicator.animationDelay(), 40);
    QCOMPARE(indicator.property("delay").toInt(), 40);
    QCOMPARE(indicator.color(), QColor(Qt::black));
    indicator.setAnimationDelay(5);
    QVERIFY(!indicator.isAnimated());
    indicator.startAnimation();
    QVERIFY(indicator.isAnimated());
    QCOMPARE(indicator.angle(), 0);
    QTRY_VERIFY(indicator.angle() >= 30);
    QCOMPARE(indicator.angle() % 30, 0);
    // A new delay while running keeps it running.
    indicator.setAnimationDelay(7);
    QVERIFY(indicator.isAnimated());
    QCOMPARE(indicator.animationDelay(), 7);
    indicator.stopAnimation();
    QVERIFY(!indicator.isAnimated());
    const int stoppedAt = indicator.angle();
    QTest::qWait(30);
    QCOMPARE(indicator.angle(), stoppedAt);
    // Restarting begins at the top again.
    indicator.startAnimation();
    QCOMPARE(indicator.angle(), 0);
    indicator.stopAnimation();
}

void TestWidgets::indicatorDelayChangeDoesNotStartIt()
{
    ProgressIndicator indicator;
    indicator.setAnimationDelay(10);
    QVERIFY(!indicator.isAnimated());
    QTest::qWait(30);
    QCOMPARE(indicator.angle(), 0);
}

void TestWidgets::stoppedIndicatorDrawsNothing()
{
    ProgressIndicator indicator;
    indicator.resize(20, 20);
    const QImage stopped = renderPlain(&indicator, QWidget::DrawChildren);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            QCOMPARE(stopped.pixelColor(x, y).alpha(), 0);
    indicator.startAnimation();
    const QImage running = renderPlain(&indicator, QWidget::DrawChildren);
    indicator.stopAnimation();
    QVERIFY(running.pixelColor(9, 2).alpha() > 200);
}

// ---------------------------------------------------------------- images

void TestWidgets::pngImagesTakeTheirSharpCopyWhereThereIsOne_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<QSize>("pixels");
    QTest::addColumn<qreal>("shownAt");
    const QString logo = QStringLiteral(":/image/images/largeLogo.png");
    QTest::newRow("plain screen") << logo << 1.0 << QSize(120, 72) << 1.0;
    QTest::newRow("ratio 1.5") << logo << 1.5 << QSize(120, 72) << 1.0;
    QTest::newRow("ratio 2") << logo << 2.0 << QSize(240, 144) << 2.0;
    QTest::newRow("no sharp copy") << QStringLiteral(":/image/images/logo.png") << 2.0 << QSize(256, 256)
                                   << 1.0;
    QTest::newRow("missing") << QStringLiteral(":/none.png") << 1.0 << QSize() << 1.0;
}

void TestWidgets::pngImagesTakeTheirSharpCopyWhereThereIsOne()
{
    QFETCH(QString, path);
    QFETCH(qreal, ratio);
    QFETCH(QSize, pixels);
    QFETCH(qreal, shownAt);
    const QPixmap pixmap = PngImage::pixmap(path, ratio);
    QCOMPARE(pixmap.size(), pixels.isValid() ? pixels : QSize(0, 0));
    QCOMPARE(pixmap.devicePixelRatio(), shownAt);
}

// A busy screen is disabled; its logo must not turn grey with it.
void TestWidgets::plainPixmapLabelKeepsItsColoursWhenDisabled()
{
    QWidget screen;
    auto *label = new PlainPixmapLabel(&screen);
    label->setPixmap(PngImage::pixmap(QStringLiteral(":/image/images/largeLogo.png"), 1));
    label->setAlignment(Qt::AlignCenter);
    label->resize(160, 90);
    const QImage enabled = renderPlain(label);
    screen.setEnabled(false);
    QCOMPARE(renderPlain(label), enabled);
    QVERIFY(enabled.pixelColor(80, 45).alpha() > 0);
}

void TestWidgets::windowIconHasTheSmallSizes()
{
    QCOMPARE(PngImage::windowIcon().availableSizes(),
             (QList<QSize>{QSize(16, 16), QSize(32, 32), QSize(48, 48), QSize(256, 256)}));
}

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"
