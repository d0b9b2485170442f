#include "meetingtestsupport.h"

#include "app/userstore.h"
#include "meeting/homescreen.h"
#include "meeting/userpop.h"
#include "meeting/userrenamedlg.h"
#include "widgets/borderdialog.h"
#include "widgets/snackbar.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>

using namespace meetingtest;

class AccountMenuTest : public QObject
{
    Q_OBJECT

private:
    devservice::Server m_server;
    BaseValues m_signedIn;

    static userPop *openPopFrom(HomeScreen *home)
    {
        auto *set = findByName<QPushButton>(home, QStringLiteral("iconPushButton"), QStringLiteral("设置"));
        if (!set)
            return nullptr;
        QTest::mouseClick(set, Qt::LeftButton);
        const QList<userPop *> pops = visibleTopLevels<userPop>();
        return pops.isEmpty() ? nullptr : pops.last();
    }
    static userRenameDlg *openRename(userPop *pop)
    {
        QTest::mouseClick(
            findByName<QPushButton>(pop, QStringLiteral("iconPushButton"), QStringLiteral("修改")),
            Qt::LeftButton);
        const QList<userRenameDlg *> dialogs = visibleTopLevels<userRenameDlg>();
        return dialogs.isEmpty() ? nullptr : dialogs.last();
    }
    static QLineEdit *nameEdit(userRenameDlg *dialog)
    {
        return dialog->findChild<QLineEdit *>(QStringLiteral("underlineQLineEdit"));
    }
    static QPushButton *confirm(userRenameDlg *dialog)
    {
        return findByName<QPushButton>(dialog, QStringLiteral("defaultQPushButton"), QStringLiteral("确定"));
    }
    static QLabel *nameLabel(userPop *pop)
    {
        return findByName<QLabel>(pop->findChild<QWidget *>(QStringLiteral("layoutWidget")),
                                  QStringLiteral("messageQLabel"));
    }
    static QStringList notices()
    {
        QStringList texts;
        for (Snackbar *s : topLevels<Snackbar>())
            if (s->isVisible())
                texts << s->findChild<QLabel *>(QStringLiteral("snackbarQLabel"))->text();
        return texts;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(startSignedIn(m_server));
        m_signedIn = *baseValues;
        // Names are measured in the fonts the application's style sheet gives.
        applyStyleSheet();
    }

    void init()
    {
        m_server.resetData();
        m_server.clearFaults();
        *baseValues = m_signedIn;
        WeMeetManager *manager = WeMeetManager::instance();
        if (manager->state() < 2) {
            QSignalSpy login(manager, &WeMeetManager::OnLoginFinishSignal);
            manager->login();
            QVERIFY(login.wait(3000));
        }
    }

    void cleanup()
    {
        cancelDialogAnswers();
        closeHomeScreens<HomeScreen>();
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<HomeScreen *>(w) || qobject_cast<userPop *>(w) ||
                qobject_cast<userRenameDlg *>(w) || qobject_cast<Snackbar *>(w))
                w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void cleanupTestCase() { m_server.stop(); }

    void avatarTextFollowsTheKindOfName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("avatar");
        QTest::newRow("two Chinese") << "张伟"
                                     << "张伟";
        QTest::newRow("one Chinese") << "伟"
                                     << "伟";
        QTest::newRow("four Chinese") << "欧阳娜娜"
                                      << "娜娜";
        QTest::newRow("phone number") << "13800138000"
                                      << "138";
        QTest::newRow("two digits") << "42"
                                    << "42";
        QTest::newRow("letters") << "Tom"
                                 << "T";
        QTest::newRow("mixed") << "tom123"
                               << "t";
        QTest::newRow("Chinese and letters") << "张Tom"
                                             << "张";
        QTest::newRow("blanks around") << "  王芳  "
                                       << "王芳";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("only blanks") << "   "
                                     << "";
        QTest::newRow("emoji first") << QString::fromUcs4(U"\U0001F600abc")
                                     << QString::fromUcs4(U"\U0001F600");
    }
    void avatarTextFollowsTheKindOfName()
    {
        QFETCH(QString, name);
        QFETCH(QString, avatar);
        QCOMPARE(userPop::avatarText(name), avatar);
    }

    void menuShowsAvatarNameAndPhone()
    {
        baseValues->meetingPersonName = QStringLiteral("欧阳娜娜");
        auto *home = new HomeScreen;
        home->show();
        userPop *pop = openPopFrom(home);
        QVERIFY(pop);
        QVERIFY(findByName<QLabel>(pop, QStringLiteral("whiteQLabel"), QStringLiteral("娜娜")));
        QCOMPARE(nameLabel(pop)->text(), QStringLiteral("欧阳娜娜"));
        QVERIFY(nameLabel(pop)->toolTip().isEmpty());
        QVERIFY(findByName<QLabel>(
            pop, QStringLiteral("messageQLabel"),
            QStringLiteral("手机号：%1 %2").arg(baseValues->mobileCountryCode, baseValues->telephone)));
        QVERIFY(findByName<QLabel>(pop, QStringLiteral("messageQLabel"), QStringLiteral("账号设置")));
        QCOMPARE(pop->windowFlags(), Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
        auto *set = findByName<QPushButton>(home, QStringLiteral("iconPushButton"), QStringLiteral("设置"));
        const QPoint p = home->mapToGlobal(set->pos());
        // Below the button, pulled in so that it and its shadow stay on the window.
        const int ring = BorderDialog::shadowWidth;
        QCOMPARE(pop->y() + ring, p.y() + 15 + set->height());
        QVERIFY(home->frameGeometry().adjusted(ring, ring, -ring, -ring).contains(pop->geometry()));
    }

    void reminderSwitchIsRememberedInItsOwnGroup()
    {
        auto *home = new HomeScreen;
        home->show();
        QSignalSpy switched(home, &HomeScreen::reminderSwitchedSignal);
        userPop *pop = openPopFrom(home);
        QVERIFY(pop);
        auto *reminder = pop->findChild<QCheckBox *>(QStringLiteral("chkBoxReminder"));
        QVERIFY(reminder);
        QCOMPARE(reminder->text(), QStringLiteral("会议开始前提醒"));
        QVERIFY(reminder->isChecked()); // on by default
        QTest::mouseClick(reminder, Qt::LeftButton);
        QCOMPARE(switched.count(), 1);
        QCOMPARE(switched.first().first().toBool(), false);
        QSettings stored(userDataPath(), QSettings::IniFormat);
        QCOMPARE(stored.value("REMINDER/ENABLED").toString(), QStringLiteral("False"));
        QVERIFY(!loadMeetingReminder());
        pop->close();
        saveMeetingReminder(true);
    }

    void menuStaysOnTheScreenBesideAWindowAtItsEdge()
    {
        auto *home = new HomeScreen;
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        home->move(area.right() - home->width() + 1, area.top() + 10);
        home->show();
        userPop *pop = openPopFrom(home);
        QVERIFY(pop);
        QVERIFY(area.contains(pop->geometry()));
    }

    void aLongNameIsElidedWithTheWholeNameAsToolTip()
    {
        baseValues->meetingPersonName = QStringLiteral("WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW");
        auto *pop = new userPop(nullptr);
        pop->show();
        QLabel *label = nameLabel(pop);
        QVERIFY(label->text() != baseValues->meetingPersonName);
        QVERIFY(label->text().endsWith(QChar(0x2026)));
        QCOMPARE(label->toolTip(), baseValues->meetingPersonName);
        QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->maximumWidth());
        QCOMPARE(findByName<QLabel>(pop, QStringLiteral("whiteQLabel"))->text(), QStringLiteral("W"));
    }

    // Names are measured in the style sheet's font, not the plain one: near the
    // 200-pixel limit the two disagree on whether the name fits.
    void aNameIsMeasuredInTheMenuFont()
    {
        auto *probe = new userPop(nullptr);
        QLabel *probeLabel = nameLabel(probe);
        probeLabel->ensurePolished();
        const QFontMetrics styled(probeLabel->font());
        delete probe;
        const QFontMetrics plain(QApplication::font());
        QString name;
        for (int n = 1; n < 200; ++n) {
            const QString candidate(n, QLatin1Char('W'));
            if ((styled.horizontalAdvance(candidate) <= 200) != (plain.horizontalAdvance(candidate) <= 200)) {
                name = candidate;
                break;
            }
        }
        if (name.isEmpty())
            QSKIP("the plain font and the menu's font agree on every name");
        const bool fits = styled.horizontalAdvance(name) <= 200;
        baseValues->meetingPersonName = name;
        auto *pop = new userPop(nullptr);
        pop->show();
        QLabel *label = nameLabel(pop);
        if (fits) {
            QCOMPARE(label->text(), name);
            QVERIFY(label->toolTip().isEmpty());
        } else {
            QVERIFY(label->text().endsWith(QChar(0x2026)));
            QCOMPARE(label->toolTip(), name);
        }
    }

    void renameIsAcceptedAndShownInTheMenu()
    {
        baseValues->meetingPersonName = QStringLiteral("张伟");
        QPointer<userPop> pop = new userPop(nullptr);
        pop->show();
        userRenameDlg *dialog = openRename(pop);
        QVERIFY(dialog);
        QVERIFY(dialog->isModal());
        // The pop-up gives way to the modal dialog.
        QTRY_VERIFY(pop.isNull());
        QLineEdit *edit = nameEdit(dialog);
        QCOMPARE(edit->text(), QStringLiteral("张伟"));
        QCOMPARE(edit->placeholderText(), QStringLiteral("请输入新名称"));
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("Zhang_Wei2"));
        QCOMPARE(edit->text(), QStringLiteral("Zhang_Wei2"));
        QPointer<userRenameDlg> guard = dialog;
        QTest::mouseClick(confirm(dialog), Qt::LeftButton);
        QTRY_VERIFY(guard.isNull() || !guard->isVisible());
        QCOMPARE(baseValues->meetingPersonName, QStringLiteral("Zhang_Wei2"));
        auto *again = new userPop(nullptr);
        again->show();
        QCOMPARE(nameLabel(again)->text(), QStringLiteral("Zhang_Wei2"));
        QVERIFY(findByName<QLabel>(again, QStringLiteral("whiteQLabel"), QStringLiteral("Z")));
        bool sent = false;
        for (const devservice::LoggedRequest &r : m_server.requests())
            sent = sent || (r.path == "/service/tencent-meeting/user/modifyUserName" &&
                            r.body == "userName=Zhang_Wei2");
        QVERIFY(sent);
    }

    void renameDialogIsAModalFramelessDialog()
    {
        baseValues->meetingPersonName = QStringLiteral("张伟");
        QPointer<userRenameDlg> dialog = new userRenameDlg(nullptr);
        dialog->show();
        QCOMPARE(dialog->size(), QSize(345, 148));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("修改名称"));
        QCOMPARE(dialog->windowModality(), Qt::ApplicationModal);
        QVERIFY(dialog->windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(dialog->testAttribute(Qt::WA_DeleteOnClose));
        QVERIFY(findByName<QLabel>(dialog, QStringLiteral("messageQLabel"), QStringLiteral("修改名称")));
        QCOMPARE(nameEdit(dialog)->maxLength(), 15);
        QVERIFY(nameEdit(dialog)->isClearButtonEnabled());
        QVERIFY(confirm(dialog)->isEnabled());
        QTest::mouseClick(
            findByName<QPushButton>(dialog, QStringLiteral("normalQPushButton"), QStringLiteral("取消")),
            Qt::LeftButton);
        QTRY_VERIFY(dialog.isNull());
        QCOMPARE(baseValues->meetingPersonName, QStringLiteral("张伟"));
    }

    void refusedRenameKeepsTheDialogWithTheOldName()
    {
        devservice::Fault fault;
        fault.successFalse = true;
        fault.errorMsg = "名称包含敏感词";
        m_server.setFault("/service/tencent-meeting/user/modifyUserName", fault);
        baseValues->meetingPersonName = QStringLiteral("张伟");
        auto *dialog = new userRenameDlg(nullptr);
        dialog->show();
        QLineEdit *edit = nameEdit(dialog);
        edit->clear();
        typeText(edit, QStringLiteral("新名字"));
        QTest::mouseClick(confirm(dialog), Qt::LeftButton);
        QTRY_VERIFY(notices().contains(QStringLiteral("名称包含敏感词")));
        QVERIFY(dialog->isVisible());
        QCOMPARE(edit->text(), QStringLiteral("张伟"));
        QCOMPARE(baseValues->meetingPersonName, QStringLiteral("张伟"));
        QVERIFY(dialog->isEnabled());
    }

    void nameRulesRefuseWhatTheServiceWouldNot_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("space") << "张 伟"
                               << "张伟";
        QTest::newRow("sixteen characters") << "abcdefghijklmnop"
                                            << "abcdefghijklmno";
        QTest::newRow("punctuation") << "a-b.c!"
                                     << "abc";
        QTest::newRow("letters digits underscore Chinese") << "A_1王"
                                                           << "A_1王";
    }
    void nameRulesRefuseWhatTheServiceWouldNot()
    {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        auto *dialog = new userRenameDlg(nullptr);
        dialog->show();
        QLineEdit *edit = nameEdit(dialog);
        edit->clear();
        QVERIFY(!confirm(dialog)->isEnabled());
        typeText(edit, typed);
        QCOMPARE(edit->text(), kept);
        QVERIFY(confirm(dialog)->isEnabled());
        edit->clear();
        QVERIFY(!confirm(dialog)->isEnabled());
    }

    void signOutReturnsToTheStartAndForgetsAutomaticSignIn()
    {
        baseValues->autoLogin = QStringLiteral("1");
        baseValues->rememberPassword = false;
        baseValues->accountType = 1;
        baseValues->accountCompanyCode = companyCode;
        baseValues->accountUserName = account;
        saveAccountLogin(true);
        QCOMPARE(QSettings(userDataPath(), QSettings::IniFormat).value("LOGININFO/AUTOLOGIN").toString(),
                 QStringLiteral("1"));

        QPointer<HomeScreen> home = new HomeScreen;
        home->show();
        QPointer<userPop> pop = openPopFrom(home);
        QVERIFY(pop);
        QSignalSpy logout(WeMeetManager::instance(), &WeMeetManager::OnLogoutFinishSignal);
        QTest::mouseClick(
            findByName<QPushButton>(pop, QStringLiteral("redQPushButton"), QStringLiteral("退出登录")),
            Qt::LeftButton);
        QTRY_VERIFY(home.isNull());
        QTRY_VERIFY(pop.isNull());
        QVERIFY(baseValues->signOutRequested);
        QTRY_COMPARE(logout.count(), 1);
        QCOMPARE(WeMeetManager::instance()->state(), 1);
        QVERIFY(!QSettings(userDataPath(), QSettings::IniFormat).contains("LOGININFO/AUTOLOGIN"));
        QVERIFY(baseValues->autoLogin.isEmpty());
    }

    void forcedLogoutClosesMenuAndRename()
    {
        QPointer<userPop> pop = new userPop(nullptr);
        pop->show();
        emit WeMeetManager::instance()->OnForcedLogoutFinishSignal();
        QTRY_VERIFY(pop.isNull());
        QPointer<userRenameDlg> dialog = new userRenameDlg(nullptr);
        dialog->show();
        emit WeMeetManager::instance()->OnForcedLogoutFinishSignal();
        QTRY_VERIFY(dialog.isNull());
    }

    void nickChangeRefreshesAnOpenMenu()
    {
        baseValues->meetingPersonName = QStringLiteral("张伟");
        auto *pop = new userPop(nullptr);
        pop->show();
        baseValues->meetingPersonName = QStringLiteral("欧阳娜娜");
        pop->nickChangedSlot();
        QCOMPARE(nameLabel(pop)->text(), QStringLiteral("欧阳娜娜"));
        QVERIFY(findByName<QLabel>(pop, QStringLiteral("whiteQLabel"), QStringLiteral("娜娜")));
    }
};

QTEST_MAIN(AccountMenuTest)
#include "tst_accountmenu.moc"
