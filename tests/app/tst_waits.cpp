#include "app/waits.h"

#include <QScopedValueRollback>
#include <QtTest>

class TestWaits : public QObject
{
    Q_OBJECT

private slots:
    void fixedWaitsHaveTheirLengths()
    {
        QCOMPARE(Waits::requestTimeoutMs, 5000);
        QCOMPARE(Waits::startupWaitMs, 10000);
        QCOMPARE(Waits::tokenRetryPauseMs, 5000);
        QCOMPARE(Waits::noticeMs, 2000);
    }

    void environmentShortensEveryWait_data()
    {
        QTest::addColumn<QByteArray>("percent");
        QTest::addColumn<int>("requestMs");
        QTest::addColumn<int>("startupMs");
        QTest::newRow("five percent") << QByteArray("5") << 250 << 500;
        QTest::newRow("one percent") << QByteArray("1") << 50 << 100;
        QTest::newRow("unset") << QByteArray() << 5000 << 10000;
        QTest::newRow("not a number") << QByteArray("fast") << 5000 << 10000;
        QTest::newRow("zero") << QByteArray("0") << 5000 << 10000;
        QTest::newRow("negative") << QByteArray("-5") << 5000 << 10000;
        QTest::newRow("hundred") << QByteArray("100") << 5000 << 10000;
        QTest::newRow("never longer") << QByteArray("400") << 5000 << 10000;
    }

    void environmentShortensEveryWait()
    {
        QFETCH(QByteArray, percent);
        QFETCH(int, requestMs);
        QFETCH(int, startupMs);
        QScopedValueRollback<int> request(Waits::requestTimeoutMs);
        QScopedValueRollback<int> startup(Waits::startupWaitMs);
        QScopedValueRollback<int> pause(Waits::tokenRetryPauseMs);
        QScopedValueRollback<int> notice(Waits::noticeMs);
        QScopedValueRollback<int> sdkInfo(Waits::sdkInfoWaitMs);
        QScopedValueRollback<int> sdkResponse(Waits::sdkResponseMs);
        QScopedValueRollback<int> spinner(Waits::spinnerFallbackMs);
        QScopedValueRollback<int> updateStall(Waits::updateStallMs);
        QScopedValueRollback<int> tick(Waits::verifyCodeTickMs);
        QScopedValueRollback<int> poll(Waits::qrPollMs);
        QScopedValueRollback<int> expiry(Waits::qrExpiryMs);
        QScopedValueRollback<int> splash(Waits::splashDelayMs);
        if (percent.isNull())
            qunsetenv("VESK_WAIT_SCALE_PERCENT");
        else
            qputenv("VESK_WAIT_SCALE_PERCENT", percent);
        Waits::applyEnvironment();
        qunsetenv("VESK_WAIT_SCALE_PERCENT");

        QCOMPARE(Waits::requestTimeoutMs, requestMs);
        QCOMPARE(Waits::startupWaitMs, startupMs);
        QCOMPARE(Waits::tokenRetryPauseMs, requestMs);
        QCOMPARE(Waits::noticeMs, requestMs * 2 / 5);
        QCOMPARE(Waits::sdkInfoWaitMs, startupMs);
        QCOMPARE(Waits::sdkResponseMs, startupMs * 3);
        QCOMPARE(Waits::spinnerFallbackMs, startupMs);
        QCOMPARE(Waits::updateStallMs, startupMs * 6);
        QCOMPARE(Waits::verifyCodeTickMs, requestMs / 5);
        QCOMPARE(Waits::qrPollMs, requestMs / 5);
        QCOMPARE(Waits::qrExpiryMs, startupMs * 30);
        QCOMPARE(Waits::splashDelayMs, startupMs / 25);
    }

    void shortenedWaitsNeverReachZero()
    {
        QScopedValueRollback<int> notice(Waits::noticeMs, 10);
        QScopedValueRollback<int> request(Waits::requestTimeoutMs);
        QScopedValueRollback<int> startup(Waits::startupWaitMs);
        QScopedValueRollback<int> pause(Waits::tokenRetryPauseMs);
        QScopedValueRollback<int> sdkInfo(Waits::sdkInfoWaitMs);
        QScopedValueRollback<int> sdkResponse(Waits::sdkResponseMs);
        QScopedValueRollback<int> spinner(Waits::spinnerFallbackMs);
        QScopedValueRollback<int> updateStall(Waits::updateStallMs);
        QScopedValueRollback<int> tick(Waits::verifyCodeTickMs);
        QScopedValueRollback<int> poll(Waits::qrPollMs);
        QScopedValueRollback<int> expiry(Waits::qrExpiryMs);
        QScopedValueRollback<int> splash(Waits::splashDelayMs);
        qputenv("VESK_WAIT_SCALE_PERCENT", "1");
        Waits::applyEnvironment();
        qunsetenv("VESK_WAIT_SCALE_PERCENT");
        QCOMPARE(Waits::noticeMs, 1);
    }
};

QTEST_GUILESS_MAIN(TestWaits)
#include "tst_waits.moc"
