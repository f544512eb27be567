#include "platform/CommandLine.h"

#include <QTest>

class CommandLineTest : public QObject
{
    Q_OBJECT
private slots:
    void launchRequests_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("action");
        QTest::newRow("nothing") << QStringList{} << QStringList{} << QString();
        QTest::newRow("relative path") << QStringList{"covers/a.png"}
                                       << QStringList{"file:///home/u/covers/a.png"} << QString();
        QTest::newRow("absolute path") << QStringList{"/srv/b c.jpg"}
                                       << QStringList{"file:///srv/b%20c.jpg"} << QString();
        QTest::newRow("uri from a launcher") << QStringList{"file:///tmp/x.png"}
                                             << QStringList{"file:///tmp/x.png"} << QString();
        QTest::newRow("dot segments") << QStringList{"../shared/./d.png"}
                                      << QStringList{"file:///home/shared/d.png"} << QString();
        QTest::newRow("action") << QStringList{"--action", "open-gallery"} << QStringList{} << "open-gallery";
        QTest::newRow("action and file") << QStringList{"--action=new-generation", "e.png"}
                                         << QStringList{"file:///home/u/e.png"} << "new-generation";
    }
    void launchRequests()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, files);
        QFETCH(QString, action);
        const auto outcome = CommandLine::parse(QStringList{"pictavia"} + arguments, "/home/u");
        const auto *request = std::get_if<LaunchRequest>(&outcome);
        QVERIFY(request);
        QStringList got;
        for (const QUrl &url : request->files)
            got << url.toString(QUrl::FullyEncoded);
        QCOMPARE(got, files);
        QCOMPARE(request->action, action);
        QCOMPARE(request->asksRunningInstanceForSomething(), !files.isEmpty() || !action.isEmpty());
    }

    void helpAndVersionAreTextToPrint_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("expected");
        QTest::newRow("--help") << "--help" << "Usage: pictavia [options] [files...]";
        QTest::newRow("-h") << "-h" << "--action <name>";
        QTest::newRow("--version") << "--version" << "Pictavia 0.1.0";
        QTest::newRow("-v") << "-v" << "Pictavia ";
    }
    void helpAndVersionAreTextToPrint()
    {
        QFETCH(QString, option);
        QFETCH(QString, expected);
        const auto outcome = CommandLine::parse({"pictavia", option}, "/");
        const auto *text = std::get_if<CommandLine::ShowText>(&outcome);
        QVERIFY(text);
        QVERIFY2(text->text.contains(expected), qPrintable(text->text));
    }

    void mistakesAreUsageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("unknown action") << QStringList{"--action", "print"} << "print";
        QTest::newRow("action without name") << QStringList{"--action"} << "action";
        QTest::newRow("unknown option") << QStringList{"--frobnicate"} << "frobnicate";
    }
    void mistakesAreUsageErrors()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, mentions);
        const auto outcome = CommandLine::parse(QStringList{"pictavia"} + arguments, "/");
        const auto *error = std::get_if<CommandLine::UsageError>(&outcome);
        QVERIFY(error);
        QVERIFY2(error->text.contains(mentions), qPrintable(error->text));
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_commandline.moc"
