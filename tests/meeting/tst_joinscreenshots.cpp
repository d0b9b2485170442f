#include "jointestsupport.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QDate>
#include <QPixmap>

using namespace jointest;

// Renders the join dialog and the admission windows into PNG files for a look
// by eye. The folder is VESK_SCREENSHOT_DIR, or <build>/screenshots.
class JoinScreenshots : public QObject
{
    Q_OBJECT

private:
    devservice::Server m_server;
    testsupport::ScreenshotFolder m_shots;

    JoinMeeting *openDialog()
    {
        SplashSelect *splash = openStartScreen();
        if (!splash)
            return nullptr;
        splash->move(100, 40);
        return clickJoinOn(splash, QStringLiteral("defaultQPushButton"));
    }

private slots:
    void initTestCase()
    {
        useOwnHomeFolder();
        QVERIFY(m_shots.open(QStringLiteral(VESK_SCREENSHOT_DEFAULT)));
        QVERIFY(m_server.start() > 0);
        applyStyleSheet();
        QApplication::setFont(QFont(QStringLiteral("Noto Sans CJK SC"), 9));
        keepRunOpen();
    }
    void init() { QVERIFY(freshJoinTest(m_server)); }
    void cleanup() { deleteAllWindows(); }

    void joinDialogWithHistory()
    {
        const QString today = QDate::currentDate().toString("yyyyMMdd");
        writeHistory({{"482915736", today + "093000000"},
                      {"316058274", "20260105143000000"},
                      {"271836495061", "20260102100000000"}});
        QSettings settings(userDatPath(), QSettings::IniFormat);
        settings.setIniCodec("UTF-8");
        settings.setValue("/USERINFO/NICKNAME", QStringLiteral("访客小王"));
        settings.sync();
        // Offered beneath the field, not filled in.
        QGuiApplication::clipboard()->setText(QStringLiteral("735102948"));
        JoinMeeting *dialog = openDialog();
        QGuiApplication::clipboard()->clear();
        QVERIFY(dialog);
        typeText(formOf(dialog).number->lineEdit(), QStringLiteral("604185273"));
        QVERIFY(m_shots.save(dialog, QStringLiteral("join-meeting")));
        QComboBox *combo = formOf(dialog).number;
        combo->showPopup();
        QTest::qWait(100);
        QVERIFY(m_shots.save(combo->view()->window(), QStringLiteral("join-meeting-history")));
        combo->hidePopup();
    }

    void phoneVerification()
    {
        JoinMeeting *dialog = openDialog();
        QVERIFY(dialog);
        fillAndJoin(formOf(dialog), QStringLiteral("927461035"), QStringLiteral("访客小王"));
        QTRY_VERIFY(visibleTopLevel<PhoneNumberVerify>());
        PhoneNumberVerify *verify = visibleTopLevel<PhoneNumberVerify>();
        typeText(verify->findChild<QLineEdit *>(QStringLiteral("underlinePaddingQLineEdit")),
                 QStringLiteral("13600136003"));
        QVERIFY(m_shots.save(verify, QStringLiteral("phone-verification")));
    }

    void activityAdmission()
    {
        auto *approve = Navigator::instance()->openActivityApprove(
            nullptr, QString::fromStdString(m_server.baseUrl()) + QStringLiteral("/s/Xk2f9QpL7"),
            QStringLiteral("14502348210934758206"), QStringLiteral("13600136003"), QStringLiteral("+86"));
        approve->move(100, 40);
        QVERIFY(m_shots.save(approve, QStringLiteral("activity-admission")));
    }
};

QTEST_MAIN(JoinScreenshots)
#include "tst_joinscreenshots.moc"
