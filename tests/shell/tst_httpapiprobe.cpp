#include "shell/HttpApiProbe.h"

#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace {

// Answers every request with the given status line, or closes the connection without a word.
class TinyHttpServer : public QTcpServer
{
public:
    QByteArray statusLine = "HTTP/1.1 200 OK";
    bool hangUp = false;
    QList<QByteArray> requestLines;

    TinyHttpServer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    const QByteArray request = socket->readAll();
                    requestLines << request.left(request.indexOf("\r\n"));
                    if (hangUp) {
                        socket->abort();
                        return;
                    }
                    socket->write(statusLine + "\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok");
                    socket->disconnectFromHost();
                });
            }
        });
        listen(QHostAddress::LocalHost);
    }

    QUrl healthUrl() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/health").arg(serverPort())); }
};

} // namespace

class HttpApiProbeTest : public QObject
{
    Q_OBJECT
private slots:
    void theDefaultAddressIsTheLocalHealthPath()
    {
        QCOMPARE(HttpApiProbe::defaultUrl(), QUrl("http://localhost:8420/health"));
    }

    void availableOnlyForStatus200_data()
    {
        QTest::addColumn<QByteArray>("statusLine");
        QTest::addColumn<bool>("hangUp");
        QTest::addColumn<bool>("available");
        QTest::newRow("200") << QByteArray("HTTP/1.1 200 OK") << false << true;
        QTest::newRow("204") << QByteArray("HTTP/1.1 204 No Content") << false << false;
        QTest::newRow("503") << QByteArray("HTTP/1.1 503 Service Unavailable") << false << false;
        QTest::newRow("no answer") << QByteArray() << true << false;
    }
    void availableOnlyForStatus200()
    {
        QFETCH(QByteArray, statusLine);
        QFETCH(bool, hangUp);
        QFETCH(bool, available);
        TinyHttpServer server;
        server.statusLine = statusLine;
        server.hangUp = hangUp;
        QNetworkAccessManager network;
        HttpApiProbe probe(network, server.healthUrl());
        QSignalSpy finished(&probe, &HttpApiProbe::probeFinished);
        probe.probe();
        QVERIFY(finished.wait(5000));
        QCOMPARE(finished.first().first().toBool(), available);
        QCOMPARE(probe.isAvailable(), available);
        QCOMPARE(server.requestLines.value(0), QByteArray("GET /health HTTP/1.1"));
    }

    void eachProbeAsksAgainAndTheLatestAnswerCounts()
    {
        TinyHttpServer server;
        QNetworkAccessManager network;
        HttpApiProbe probe(network, server.healthUrl());
        QSignalSpy finished(&probe, &HttpApiProbe::probeFinished);
        probe.probe();
        QVERIFY(finished.wait(5000));
        QVERIFY(probe.isAvailable());

        server.close(); // the backend's HTTP server went away
        probe.probe();
        QVERIFY(finished.wait(5000));
        QVERIFY(!probe.isAvailable());
        QCOMPARE(server.requestLines.size(), 1);
    }

    void aProbeStartedWhileOneIsPendingReplacesIt()
    {
        TinyHttpServer server;
        QNetworkAccessManager network;
        HttpApiProbe probe(network, server.healthUrl());
        QSignalSpy finished(&probe, &HttpApiProbe::probeFinished);
        probe.probe();
        probe.probe();
        QVERIFY(finished.wait(5000));
        QTest::qWait(100);
        QCOMPARE(finished.count(), 1); // the aborted first probe reports nothing
        QVERIFY(probe.isAvailable());
    }
};

QTEST_GUILESS_MAIN(HttpApiProbeTest)
#include "tst_httpapiprobe.moc"
