#include "shell/AppNotifier.h"

#include <QTest>

class AppNotifierTest : public QObject
{
    Q_OBJECT
private slots:
    void switchTabTakesOnlyAnIntegerNamingATab_data()
    {
        QTest::addColumn<QVariant>("object");
        QTest::addColumn<int>("expected"); // -1: ignored
        QTest::newRow("int 0") << QVariant(0) << 0;
        QTest::newRow("int 3") << QVariant(3) << 3;
        QTest::newRow("long long 2") << QVariant(qlonglong(2)) << 2;
        QTest::newRow("unsigned 1") << QVariant(1u) << 1;
        QTest::newRow("string") << QVariant(QStringLiteral("1")) << -1;
        QTest::newRow("no object") << QVariant() << -1;
        QTest::newRow("double") << QVariant(1.0) << -1;
        QTest::newRow("bool") << QVariant(true) << -1;
        QTest::newRow("negative") << QVariant(-1) << -1;
        QTest::newRow("past the last tab") << QVariant(4) << -1;
    }
    void switchTabTakesOnlyAnIntegerNamingATab()
    {
        QFETCH(QVariant, object);
        QFETCH(int, expected);
        const auto index = AppNotifier::tabIndexFrom(object);
        QCOMPARE(index.value_or(-1), expected);
    }
};

QTEST_GUILESS_MAIN(AppNotifierTest)
#include "tst_appnotifier.moc"
