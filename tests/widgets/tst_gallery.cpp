// Renders every common widget and dialog with the application style sheet
// into PNG files, so their looks can be reviewed by eye. The folder comes
// from VESK_GALLERY_DIR (default <build>/gallery).

#include "support/testsupport.h"

#include "app/areacode.h"
#include "sdk/wemeetmanager.h"
#include "widgets/borderdialog.h"
#include "widgets/phonenumedit.h"
#include "widgets/placeholdercolor.h"
#include "widgets/progressindicator.h"
#include "widgets/snackbar.h"
#include "widgets/twobtndlg.h"
#include "widgets/veskdatetimecombobox.h"
#include "widgets/waitingspinnerwidget.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTextEdit>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <QtTest>

#ifndef VESK_GALLERY_DEFAULT
#define VESK_GALLERY_DEFAULT "gallery"
#endif

namespace {

QString galleryDir()
{
    const QString fromEnv = qEnvironmentVariable("VESK_GALLERY_DIR");
    return fromEnv.isEmpty() ? QStringLiteral(VESK_GALLERY_DEFAULT) : fromEnv;
}

// Puts a translucent window on a light backdrop so its shadow shows.
QImage onBackdrop(const QPixmap &shot, int pad = 16)
{
    QImage image(shot.size() + QSize(2 * pad, 2 * pad), QImage::Format_ARGB32);
    image.fill(QColor(0xE9, 0xEC, 0xF1));
    QPainter p(&image);
    p.drawPixmap(pad, pad, shot);
    return image;
}

bool save(const QImage &image, const QString &name)
{
    const QString path = QDir(galleryDir()).filePath(name + QStringLiteral(".png"));
    return !image.isNull() && image.save(path);
}

QList<AreaCode> areaCodes()
{
    QList<AreaCode> codes = readAreaCodes(QStringLiteral(VESK_SOURCE_DIR "/resources/areaCode.dat"));
    if (codes.isEmpty()) {
        codes = {{"86", "中国"}, {"852", "中国香港"}, {"853", "中国澳门"}, {"886", "中国台湾"},
                 {"81", "日本"}, {"82", "韩国"},      {"380", "乌克兰"},   {"880", "孟加拉国"},
                 {"1", "美国"},  {"44", "英国"}};
    }
    return codes;
}

void settle(QWidget *w)
{
    w->show();
    QApplication::setActiveWindow(w->window());
    (void)QTest::qWaitForWindowExposed(w);
    QTest::qWait(50);
}

QPushButton *button(const QString &name, const QString &text, QWidget *parent, QSize size = QSize(120, 32))
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setFixedSize(size);
    return b;
}

QLabel *label(const QString &name, const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

} // namespace

class TestGallery : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void messageDialogs();
    void borderDialog();
    void notices();
    void busyIndicators();
    void phoneNumberInput();
    void timePicker();
    void buttonStyles();
    void labelStyles();
    void inputStyles();
    void otherStyles();
};

void TestGallery::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(QDir().mkpath(galleryDir()));
    QVERIFY(testsupport::applyStyleSheet());
    qApp->setFont(QFont(QStringLiteral("Microsoft YaHei")));
    PlaceholderColor::install(qApp);
    QVERIFY(WeMeetManager::instance());
    qInfo() << "gallery in" << QDir(galleryDir()).absolutePath();
}

void TestGallery::messageDialogs()
{
    TwoBtnDlg two;
    two.setShowMsg(QStringLiteral("关闭会议后不可恢复，是否确定继续该操作？"));
    two.setLeftBtnTxt(QStringLiteral("取消"));
    two.setRightBtnTxt(QStringLiteral("确定"));
    settle(&two);
    QVERIFY(save(onBackdrop(two.grab()), QStringLiteral("dialog_two_buttons")));
    two.hide();

    TwoBtnDlg one(QStringLiteral("知道了"));
    one.setShowMsg(QStringLiteral("本地已登录另一账号，请重新登录后进入会议。"));
    settle(&one);
    QVERIFY(save(onBackdrop(one.grab()), QStringLiteral("dialog_one_button")));
    one.hide();

    TwoBtnDlg longer(QStringLiteral("确定"));
    longer.setShowMsg(QStringLiteral("入会认证失败，error：当前手机号/"
                                     "账号未在参会名单，无法加入会议！请联系会议主持人确认参会名单后重试。"));
    settle(&longer);
    QVERIFY(save(onBackdrop(longer.grab()), QStringLiteral("dialog_long_message")));
    longer.hide();
}

void TestGallery::borderDialog()
{
    BorderDialog dlg;
    dlg.setWindowFlags(dlg.windowFlags() | Qt::FramelessWindowHint);
    dlg.resize(360, 220);
    settle(&dlg);
    QVERIFY(save(onBackdrop(dlg.grab()), QStringLiteral("border_dialog")));
    // Zoomed corner, to see the ten rings.
    const QImage corner = onBackdrop(dlg.grab(), 0).copy(0, 0, 40, 40).scaled(320, 320);
    QVERIFY(save(corner, QStringLiteral("border_dialog_corner_x8")));
}

void TestGallery::notices()
{
    QWidget screen;
    screen.setObjectName(QStringLiteral("backgroundWidget"));
    screen.resize(600, 300);
    settle(&screen);

    const QList<QPair<QString, QString>> notices = {
        {QStringLiteral("notice_short"), QStringLiteral("会议邀请已复制到剪贴板")},
        {QStringLiteral("notice_long"),
         QStringLiteral("请求失败：服务暂时不可用，请检查网络连接后重新尝试，如问题持续存在请联系管理员")},
        {QStringLiteral("notice_tiny"), QStringLiteral("好")},
    };
    for (const auto &entry : notices) {
        Snackbar::showMessage(entry.second, &screen, 60000);
        Snackbar *notice = nullptr;
        for (Snackbar *s : screen.findChildren<Snackbar *>()) {
            if (s->findChild<QLabel *>()->text() == entry.second)
                notice = s;
        }
        QVERIFY(notice);
        QVERIFY(QTest::qWaitForWindowExposed(notice));
        QVERIFY(save(onBackdrop(notice->grab()), entry.first));
        notice->close();
    }
}

void TestGallery::busyIndicators()
{
    QWidget screen;
    screen.setObjectName(QStringLiteral("backgroundWidget"));
    screen.resize(420, 300);
    auto *hint = new QLabel(QStringLiteral("会议列表"), &screen);
    hint->setObjectName(QStringLiteral("titleQLabel"));
    hint->move(20, 20);
    settle(&screen);

    WaitingSpinnerWidget spinner(&screen, true, true);
    spinner.setText(QStringLiteral("正在加载会议列表..."));
    spinner.start();
    (void)QTest::qWaitForWindowExposed(&spinner);
    QTest::qWait(300);
    QVERIFY(save(onBackdrop(spinner.grab()), QStringLiteral("spinner")));
    // The spinner over its (disabled) screen, composed the way a user sees it.
    QImage composed = screen.grab().toImage();
    {
        QPainter p(&composed);
        p.drawPixmap(spinner.pos() - screen.pos(), spinner.grab());
    }
    QVERIFY(save(composed, QStringLiteral("spinner_over_screen")));
    spinner.stop();

    for (int side : {20, 40, 64}) {
        ProgressIndicator indicator;
        indicator.resize(side, side);
        indicator.setDisplayedWhenStopped(true);
        indicator.setColor(QColor(0x00, 0x6F, 0xFF));
        QImage image(side, side, QImage::Format_ARGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        indicator.render(&p, QPoint(), QRegion(), QWidget::DrawChildren);
        p.end();
        QVERIFY(save(image.scaled(side * 4, side * 4), QStringLiteral("progress_indicator_%1_x4").arg(side)));
    }
}

void TestGallery::phoneNumberInput()
{
    QWidget screen;
    screen.setObjectName(QStringLiteral("backgroundWidget"));
    screen.resize(380, 280);
    auto *title = new QLabel(QStringLiteral("手机号"), &screen);
    title->setObjectName(QStringLiteral("normalQLabel"));
    title->move(30, 20);
    PhoneNumEdit edit(&screen);
    edit.setGeometry(30, 50, 319, 30);
    edit.setAreaCodeList(areaCodes());
    auto *below = new QLineEdit(&screen);
    below->setObjectName(QStringLiteral("underlineQLineEdit"));
    below->setPlaceholderText(QStringLiteral("请输入验证码"));
    below->setGeometry(30, 110, 319, 30);
    settle(&screen);
    edit.setPhoneNumber(QStringLiteral("13800138000"));
    QVERIFY(save(screen.grab().toImage(), QStringLiteral("phone_input_closed")));

    auto *code = edit.findChild<QLineEdit *>(QStringLiteral("noBorderQLineEdit"));
    QVERIFY(code);
    QTest::mouseClick(code, Qt::LeftButton);
    code->selectAll();
    QTest::keyClicks(code, QStringLiteral("8"));
    QTest::qWait(50);
    QVERIFY(save(screen.grab().toImage(), QStringLiteral("phone_input_open_8")));

    code->selectAll();
    QTest::keyClicks(code, QStringLiteral("85"));
    QTest::qWait(50);
    QVERIFY(save(screen.grab().toImage(), QStringLiteral("phone_input_open_85")));
    edit.setPhoneNumberFocus();
    QVERIFY(save(screen.grab().toImage(), QStringLiteral("phone_input_after_close")));
}

void TestGallery::timePicker()
{
    QWidget screen;
    screen.setObjectName(QStringLiteral("backgroundWidget"));
    screen.resize(400, 280);
    auto *date = new QDateEdit(QDate(2026, 12, 8), &screen);
    date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    date->setCalendarPopup(true);
    date->setGeometry(28, 30, 190, 30);
    VeskDateTimeComboBox start(&screen);
    start.setGeometry(230, 30, 117, 30);
    const QDateTime begin(QDate(2026, 12, 8), QTime(10, 30));
    QList<QDateTime> starts;
    for (int k = 0; k < 27; ++k)
        starts << begin.addSecs(1800 * k);
    start.setDateTimeList(starts);
    start.setDateTime(begin);

    VeskDateTimeComboBox end(&screen);
    end.setGeometry(230, 80, 117, 30);
    end.setShowDuration(true);
    QList<QDateTime> ends;
    for (int k = 1; k <= 48; ++k)
        ends << begin.addSecs(1800 * k);
    end.setDateTimeList(ends);
    end.setDateTime(ends.first());
    settle(&screen);
    QVERIFY(save(screen.grab().toImage(), QStringLiteral("time_picker_closed")));

    end.showTimeList();
    QTest::qWait(50);
    QVERIFY(save(screen.grab().toImage(), QStringLiteral("time_picker_end_open")));
    end.setTimeBySelect(end.findChild<QListWidget *>()->item(3));

    start.showTimeList();
    QTest::qWait(50);
    QVERIFY(save(screen.grab().toImage(), QStringLiteral("time_picker_start_open")));
}

void TestGallery::buttonStyles()
{
    QWidget panel;
    panel.setObjectName(QStringLiteral("backgroundWidget"));
    auto *grid = new QGridLayout(&panel);
    grid->setSpacing(14);
    grid->setContentsMargins(20, 20, 20, 20);
    grid->addWidget(
        label(QStringLiteral("normalQLabel"), QStringLiteral("default / disabled / small"), &panel), 0, 0);
    grid->addWidget(button(QStringLiteral("defaultQPushButton"), QStringLiteral("确定"), &panel), 0, 1);
    auto *disabled = button(QStringLiteral("defaultQPushButton"), QStringLiteral("预定会议"), &panel);
    disabled->setEnabled(false);
    grid->addWidget(disabled, 0, 2);
    grid->addWidget(button(QStringLiteral("defaultSmallQPushButton"), QStringLiteral("获取验证码"), &panel,
                           QSize(90, 28)),
                    0, 3);
    grid->addWidget(
        label(QStringLiteral("normalQLabel"), QStringLiteral("normal / red / noBorderSmall"), &panel), 1, 0);
    grid->addWidget(button(QStringLiteral("normalQPushButton"), QStringLiteral("取消"), &panel), 1, 1);
    grid->addWidget(button(QStringLiteral("redQPushButton"), QStringLiteral("取消会议"), &panel), 1, 2);
    auto *more =
        button(QStringLiteral("noBorderSmallQPushButton"), QStringLiteral("更多"), &panel, QSize(60, 26));
    grid->addWidget(more, 1, 3);
    grid->addWidget(label(QStringLiteral("normalQLabel"), QStringLiteral("title / icon / mask"), &panel), 2,
                    0);
    grid->addWidget(button(QStringLiteral("titlePushButton"), QString(), &panel, QSize(30, 30)), 2, 1);
    auto *icon = button(QStringLiteral("iconPushButton"), QStringLiteral("设置"), &panel);
    icon->setIcon(QIcon(QStringLiteral(":/image/images/mtgSet.png")));
    grid->addWidget(icon, 2, 2);
    auto *maskBack = new QFrame(&panel);
    maskBack->setObjectName(QStringLiteral("blackMaskQFrame"));
    maskBack->setFixedSize(120, 32);
    auto *mask = button(QStringLiteral("maskPushButton"), QStringLiteral("刷新二维码"), maskBack);
    mask->move(0, 0);
    grid->addWidget(maskBack, 2, 3);
    int col = 0;
    for (const QString &name : QStringList{"btnMtgJoin", "btnMtgQuick", "btnMtgCreate", "btnMtgCast"})
        grid->addWidget(button(name, QString(), &panel, QSize(50, 50)), 3, col++);
    auto *tabOn = button(QStringLiteral("tabPushButton"), QStringLiteral("账号登录"), &panel, QSize(100, 34));
    tabOn->setCheckable(true);
    tabOn->setChecked(true);
    auto *tabOff =
        button(QStringLiteral("tabPushButton"), QStringLiteral("手机登录"), &panel, QSize(100, 34));
    tabOff->setCheckable(true);
    grid->addWidget(tabOn, 4, 1);
    grid->addWidget(tabOff, 4, 2);
    settle(&panel);
    QVERIFY(save(panel.grab().toImage(), QStringLiteral("styles_buttons")));

    QMenu menu(&panel);
    menu.setObjectName(QStringLiteral("noBorderQPushButtonQMenu"));
    menu.addAction(QStringLiteral("复制邀请"));
    menu.addAction(QStringLiteral("修改会议"));
    menu.addAction(QStringLiteral("取消会议"));
    menu.popup(QPoint(100, 100));
    (void)QTest::qWaitForWindowExposed(&menu);
    menu.setActiveAction(menu.actions().at(1));
    QTest::qWait(30);
    QVERIFY(save(onBackdrop(menu.grab()), QStringLiteral("styles_row_menu")));
    menu.close();
}

void TestGallery::labelStyles()
{
    QWidget panel;
    panel.setObjectName(QStringLiteral("backgroundWidget"));
    auto *form = new QFormLayout(&panel);
    form->setContentsMargins(20, 20, 20, 20);
    form->setVerticalSpacing(8);
    const QList<QPair<QString, QString>> names = {
        {"hugeQLabel", "欢迎使用Vesk云会议"},
        {"titleQLabel", "预定会议"},
        {"nameQLabel", "张三"},
        {"size16QLabel", "会议主题"},
        {"valQLabel", "123 456 789"},
        {"messageQLabel", "确定离开当前会议，加入新会议？"},
        {"normalQLabel", "会议号"},
        {"normalBlueQLabel", "忘记密码"},
        {"smallQLabel", "v1.0.0"},
        {"tipQLabel", "暂无会议"},
        {"tips", "正在入会..."},
        {"leftSpaceQLabel", "中国"},
        {"leftSpaceBlueQLabel", "+86"},
        {"leftSpaceSmallQLabel", "10:30(30分钟)"},
        {"hintQLabel", "请使用微信扫描二维码登录"},
        {"redQLabel", "手机号格式不正确"},
        {"borderQLabel", "  带边框  "},
        {"dotQLabel", ""},
        {"PaddingBlueQLabel", "如您有更高的会议室需求，请联系您的专属客户经理提出申请。"},
    };
    for (const auto &entry : names) {
        QLabel *l = label(entry.first, entry.second, &panel);
        if (entry.first == QLatin1String("dotQLabel"))
            l->setFixedSize(20, 20);
        if (entry.first == QLatin1String("hintQLabel"))
            l->setFixedSize(300, 30);
        form->addRow(entry.first, l);
    }
    auto *dark = new QFrame(&panel);
    dark->setObjectName(QStringLiteral("blackMaskQFrame"));
    dark->setFixedSize(300, 30);
    auto *white =
        label(QStringLiteral("whiteQLabel"), QStringLiteral("whiteQLabel on blackMaskQFrame"), dark);
    white->move(8, 5);
    form->addRow(QStringLiteral("whiteQLabel"), dark);
    for (const QString &logo :
         QStringList{"smallLogoQLabel", "logoQLabel", "largeLogoQLabel", "completeIconQLabel"}) {
        QLabel *l = label(logo, QString(), &panel);
        const QSize size = logo == QLatin1String("smallLogoQLabel")   ? QSize(30, 18)
                           : logo == QLatin1String("logoQLabel")      ? QSize(80, 48)
                           : logo == QLatin1String("largeLogoQLabel") ? QSize(160, 90)
                                                                      : QSize(48, 48);
        l->setFixedSize(size);
        form->addRow(logo, l);
    }
    settle(&panel);
    QVERIFY(save(panel.grab().toImage(), QStringLiteral("styles_labels")));
}

void TestGallery::inputStyles()
{
    QWidget panel;
    panel.setObjectName(QStringLiteral("backgroundWidget"));
    auto *form = new QFormLayout(&panel);
    form->setContentsMargins(20, 20, 20, 20);
    form->setVerticalSpacing(10);
    auto edit = [&panel](const QString &name, const QString &text, const QString &placeholder) {
        auto *e = new QLineEdit(text, &panel);
        if (!name.isEmpty())
            e->setObjectName(name);
        e->setPlaceholderText(placeholder);
        e->setFixedSize(260, 30);
        return e;
    };
    form->addRow(QStringLiteral("QLineEdit"), edit(QString(), QStringLiteral("默认输入框"), QString()));
    form->addRow(QStringLiteral("normalQLineEdit"),
                 edit(QStringLiteral("normalQLineEdit"), QString(), QStringLiteral("请输入会议号")));
    QLineEdit *focused = edit(QStringLiteral("normalQLineEdit"), QStringLiteral("有焦点"), QString());
    form->addRow(QStringLiteral("normalQLineEdit:focus"), focused);
    form->addRow(QStringLiteral("underlineQLineEdit"),
                 edit(QStringLiteral("underlineQLineEdit"), QString(), QStringLiteral("请输入密码")));
    form->addRow(QStringLiteral("noBorderQLineEdit"),
                 edit(QStringLiteral("noBorderQLineEdit"), QStringLiteral("无边框"), QString()));

    auto *checked = new QCheckBox(QStringLiteral("自动登录"), &panel);
    checked->setChecked(true);
    auto *unchecked = new QCheckBox(QStringLiteral("记住密码"), &panel);
    auto *checks = new QHBoxLayout;
    checks->addWidget(checked);
    checks->addWidget(unchecked);
    checks->addStretch();
    form->addRow(QStringLiteral("QCheckBox"), checks);
    auto *radioOn = new QRadioButton(QStringLiteral("企业"), &panel);
    radioOn->setChecked(true);
    auto *radioOff = new QRadioButton(QStringLiteral("监管"), &panel);
    auto *radios = new QHBoxLayout;
    radios->addWidget(radioOn);
    radios->addWidget(radioOff);
    radios->addStretch();
    form->addRow(QStringLiteral("QRadioButton"), radios);

    auto *combo = new QComboBox(&panel);
    combo->setObjectName(QStringLiteral("meetingNoQComboBox"));
    combo->setEditable(true);
    combo->addItems({QStringLiteral("123 456 789"), QStringLiteral("987 654 321")});
    combo->setFixedSize(260, 40);
    form->addRow(QStringLiteral("meetingNoQComboBox"), combo);

    auto *date = new QDateEdit(QDate(2026, 12, 8), &panel);
    date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    date->setCalendarPopup(true);
    date->setFixedSize(190, 30);
    form->addRow(QStringLiteral("QDateEdit (popup)"), date);
    auto *time = new QTimeEdit(QTime(10, 30), &panel);
    time->setFixedSize(120, 30);
    form->addRow(QStringLiteral("QTimeEdit"), time);
    auto *customDate = new QDateTimeEdit(QDateTime(QDate(2026, 12, 8), QTime(10, 30)), &panel);
    customDate->setObjectName(QStringLiteral("customQDateTimeEdit"));
    customDate->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    customDate->setCalendarPopup(true);
    customDate->setFixedSize(190, 30);
    form->addRow(QStringLiteral("customQDateTimeEdit"), customDate);
    auto *customTime = new QTimeEdit(QTime(10, 30), &panel);
    customTime->setObjectName(QStringLiteral("customQTimeEdit"));
    customTime->setFixedSize(120, 30);
    form->addRow(QStringLiteral("customQTimeEdit"), customTime);

    settle(&panel);
    focused->setFocus();
    QTest::qWait(30);
    QVERIFY(save(panel.grab().toImage(), QStringLiteral("styles_inputs")));
}

void TestGallery::otherStyles()
{
    QWidget panel;
    panel.setObjectName(QStringLiteral("backgroundWidget"));
    auto *form = new QFormLayout(&panel);
    form->setContentsMargins(20, 20, 20, 20);
    form->setVerticalSpacing(12);

    auto *progress = new QProgressBar(&panel);
    progress->setValue(42);
    progress->setFixedSize(300, 22);
    form->addRow(QStringLiteral("QProgressBar"), progress);

    auto *update = new QTextEdit(&panel);
    update->setObjectName(QStringLiteral("updateQTextEdit"));
    update->setPlainText(QStringLiteral("1. 优化会议列表加载速度\n2. 修复已知问题"));
    update->setFixedSize(300, 70);
    form->addRow(QStringLiteral("updateQTextEdit"), update);

    auto *share = new QTextEdit(&panel);
    share->setObjectName(QStringLiteral("shareInfoQTextEdit"));
    QString text;
    for (int i = 0; i < 12; ++i)
        text += QStringLiteral("张三邀请您参加Vesk云会议 第%1行\n").arg(i + 1);
    share->setPlainText(text);
    share->verticalScrollBar()->setObjectName(QStringLiteral("shareInfoQScrollBar"));
    share->verticalScrollBar()->style()->unpolish(share->verticalScrollBar());
    share->verticalScrollBar()->style()->polish(share->verticalScrollBar());
    share->setFixedSize(300, 120);
    form->addRow(QStringLiteral("shareInfoQTextEdit"), share);

    for (const QString &name : QStringList{"titleSplitLine", "hSplitLine", "dottedLine", "dashedLine"}) {
        // Each line across and, beside it, upright (as in the meeting rows).
        auto *row = new QHBoxLayout;
        row->setSpacing(20);
        auto *across = new QFrame(&panel);
        across->setObjectName(name);
        across->setFixedSize(260, 1);
        auto *upright = new QFrame(&panel);
        upright->setObjectName(name);
        upright->setFixedSize(1, 24);
        row->addWidget(across, 0, Qt::AlignVCenter);
        row->addWidget(upright);
        row->addStretch();
        form->addRow(name, row);
    }
    auto *white = new QFrame(&panel);
    white->setObjectName(QStringLiteral("whiteMaskQFrame"));
    white->setFixedSize(300, 40);
    auto *whiteBack = new QFrame(&panel);
    whiteBack->setStyleSheet(QStringLiteral("background: #006FFF;"));
    whiteBack->setFixedSize(320, 50);
    white->setParent(whiteBack);
    white->move(10, 5);
    auto *whiteText =
        label(QStringLiteral("blackMaskQLabel"), QStringLiteral("blackMaskQLabel on whiteMaskQFrame"), white);
    whiteText->move(10, 10);
    form->addRow(QStringLiteral("whiteMaskQFrame"), whiteBack);

    auto *list = new QListWidget(&panel);
    list->setObjectName(QStringLiteral("timeQListWidget"));
    list->verticalScrollBar()->setObjectName(QStringLiteral("phoneAreaCodeQScrollBar"));
    list->verticalScrollBar()->style()->unpolish(list->verticalScrollBar());
    list->verticalScrollBar()->style()->polish(list->verticalScrollBar());
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (int i = 0; i < 8; ++i) {
        auto *item = new QListWidgetItem(list);
        item->setSizeHint(QSize(20, 30));
        list->setItemWidget(
            item, label(QStringLiteral("leftSpaceSmallQLabel"), QStringLiteral("1%1:00").arg(i), nullptr));
    }
    list->setCurrentRow(2);
    list->setFixedSize(150, 155);
    form->addRow(QStringLiteral("timeQListWidget"), list);

    auto *thin = new QScrollBar(Qt::Horizontal, &panel);
    thin->setObjectName(QStringLiteral("thinBar"));
    thin->setRange(0, 100);
    thin->setPageStep(30);
    thin->setFixedWidth(300);
    form->addRow(QStringLiteral("thinBar"), thin);

    settle(&panel);
    QVERIFY(save(panel.grab().toImage(), QStringLiteral("styles_other")));
}

QTEST_MAIN(TestGallery)
#include "tst_gallery.moc"
