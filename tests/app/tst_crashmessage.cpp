#include "app/crashreport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QtTest>

// The box a crashed client shows: its exact title, text and single button.
class TestCrashMessage : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { qunsetenv(crashReporterCloseEnvVar); }

    void boxTellsTheUserWithTheOneOkButton()
    {
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
        bool hasParent = true;
        bool modal = false;
        QTimer::singleShot(0, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            buttons = box->standardButtons();
            hasParent = box->parentWidget() != nullptr;
            modal = box->isModal();
            QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        });
        showCrashMessage();

        QCOMPARE(title, QStringLiteral("错误报告"));
        QCOMPARE(text, QStringLiteral("<div> Vesk云会议遇到错误，给您带来不便，我们表示诚挚的歉意！<br/>"
                                      "请重新启动程序，通过在线客服联系我们解决相关问题。<br/></div>"));
        QCOMPARE(icon, QMessageBox::Critical);
        QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(!hasParent);
        QVERIFY(modal);
    }

    void reporterBoxClosesByItselfForTests()
    {
        qputenv(crashReporterCloseEnvVar, "50");
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(runCrashReporter(), 0);
        QVERIFY(timer.elapsed() < 10000);
    }

    void reporterIsChosenByTheEnvironment()
    {
        qunsetenv(crashReporterEnvVar);
        QVERIFY(!isCrashReporter());
        qputenv(crashReporterEnvVar, "1");
        QVERIFY(isCrashReporter());
        qunsetenv(crashReporterEnvVar);
    }
};

QTEST_MAIN(TestCrashMessage)
#include "tst_crashmessage.moc"
