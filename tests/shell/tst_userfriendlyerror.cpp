#include "shell/UserFriendlyError.h"

#include <QTest>

namespace {
const QString timeoutAdvice = "\n\nSuggestion: Generation timed out. Try a simpler prompt or smaller size.";
const QString diskAdvice = "\n\nSuggestion: Check available disk space and free up storage.";
const QString writeAdvice = "\n\nSuggestion: Check disk space and file permissions.";
const QString backendAdvice = "\n\nSuggestion: Check that the Python backend is running. Go to Settings to reconnect.";
const QString memoryAdvice = "\n\nSuggestion: Try reducing image size or steps, or unload unused models.";
const QString generationAdvice = "\n\nSuggestion: Try reducing image size or steps.";
} // namespace

class UserFriendlyErrorTest : public QObject
{
    Q_OBJECT
private slots:
    void appendsTheFirstMatchingSuggestion_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("suggestion");
        // Group order decides when a message matches several groups.
        QTest::newRow("timeout wins over backend") << "Backend request timed out." << timeoutAdvice;
        QTest::newRow("timeout keyword") << "Request TIMEOUT after 600s" << timeoutAdvice;
        QTest::newRow("space wins over write") << "Could not write file: no space left" << diskAdvice;
        QTest::newRow("disk") << "Disk full" << diskAdvice;
        QTest::newRow("write") << "Failed to write output" << writeAdvice;
        QTest::newRow("permission denied") << "Permission denied: /out.png" << writeAdvice;
        QTest::newRow("export wins over generation") << "Export of generation 3 failed" << writeAdvice;
        QTest::newRow("not running") << "Python backend is not running." << backendAdvice;
        QTest::newRow("connect") << "Could not connect" << backendAdvice;
        QTest::newRow("memory") << "CUDA out of memory" << memoryAdvice;
        QTest::newRow("oom inside a word") << "Killed by OOM killer" << memoryAdvice;
        QTest::newRow("model") << "Unknown model flux-pro" << generationAdvice;
        QTest::newRow("generate") << "Cannot generate now" << generationAdvice;
    }
    void appendsTheFirstMatchingSuggestion()
    {
        QFETCH(QString, message);
        QFETCH(QString, suggestion);
        QCOMPARE(userFriendlyError(message), message + suggestion);
    }

    void leavesAMessageWithoutKeywordsUnchanged()
    {
        QCOMPARE(userFriendlyError("Invalid response from server"), QString("Invalid response from server"));
        QCOMPARE(userFriendlyError(QString()), QString());
    }

    void anExtendedMessageGainsASecondSuggestion()
    {
        const QString once = userFriendlyError("Backend request timed out.");
        // The first suggestion itself mentions "timed out", so the timeout group matches again.
        QCOMPARE(userFriendlyError(once), once + timeoutAdvice);
    }
};

QTEST_GUILESS_MAIN(UserFriendlyErrorTest)
#include "tst_userfriendlyerror.moc"
