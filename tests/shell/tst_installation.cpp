#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// `cmake --install` into a scratch prefix: the files land where the desktop looks for them, they
// pass the desktop's validators, and the installed program finds its installed backend.
class InstallationTest : public QObject
{
    Q_OBJECT
    QTemporaryDir prefix;

    static QString run(const QString &program, const QStringList &arguments, int *exitCode,
                       const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, arguments);
        if (!process.waitForFinished(120000))
            process.kill();
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        return QString::fromUtf8(process.readAll());
    }

    QString installed(const QString &relative) const { return QDir(prefix.path()).filePath(relative); }

private slots:
    void initTestCase()
    {
        int exitCode = 0;
        const QString output = run(PICTAVIA_CMAKE_COMMAND,
                                   {"--install", PICTAVIA_BUILD_DIR, "--prefix", prefix.path()}, &exitCode);
        QVERIFY2(exitCode == 0, qPrintable(output));
    }

    void filesLandUnderThePrefix_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("program") << "bin/pictavia";
        QTest::newRow("desktop entry") << "share/applications/com.zorbel.Pictavia.desktop";
        QTest::newRow("D-Bus activation") << "share/dbus-1/services/com.zorbel.Pictavia.service";
        QTest::newRow("metainfo") << "share/metainfo/com.zorbel.Pictavia.metainfo.xml";
        QTest::newRow("scalable icon") << "share/icons/hicolor/scalable/apps/com.zorbel.Pictavia.svg";
        QTest::newRow("256 icon") << "share/icons/hicolor/256x256/apps/com.zorbel.Pictavia.png";
        QTest::newRow("backend server") << "share/pictavia/artwork-backend/src/artwork/rpc_server.py";
        QTest::newRow("backend venv") << "share/pictavia/artwork-backend/.venv/bin/python";
    }
    void filesLandUnderThePrefix()
    {
        QFETCH(QString, path);
        QVERIFY2(QFileInfo::exists(installed(path)), qPrintable(path));
    }

    void theBackendsTestsAndCachesStayBehind()
    {
        QVERIFY(!QFileInfo::exists(installed("share/pictavia/artwork-backend/tests")));
        QDirIterator files(installed("share/pictavia/artwork-backend/src"), QDirIterator::Subdirectories);
        while (files.hasNext())
            QVERIFY2(!files.next().contains("__pycache__"), qPrintable(files.filePath()));
    }

    void theDesktopFilesValidate_data()
    {
        QTest::addColumn<QString>("validator");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("desktop entry") << "desktop-file-validate"
                                       << QStringList{installed("share/applications/com.zorbel.Pictavia.desktop")};
        QTest::newRow("metainfo") << "appstreamcli"
                                  << QStringList{"validate", "--no-net",
                                                 installed("share/metainfo/com.zorbel.Pictavia.metainfo.xml")};
    }
    void theDesktopFilesValidate()
    {
        QFETCH(QString, validator);
        QFETCH(QStringList, arguments);
        if (QStandardPaths::findExecutable(validator).isEmpty())
            QSKIP("validator not installed (scripts/setup installs it)");
        int exitCode = 0;
        const QString output = run(validator, arguments, &exitCode);
        QVERIFY2(exitCode == 0, qPrintable(output));
    }

    void theDesktopEntryStartsTheInstalledProgram()
    {
        QFile entry(installed("share/applications/com.zorbel.Pictavia.desktop"));
        QVERIFY(entry.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(entry.readAll());
        const QString program = installed("bin/pictavia");
        QVERIFY(text.contains("Exec=" + program + " %U"));
        QVERIFY(text.contains("Exec=" + program + " --action new-generation"));
        QVERIFY(text.contains("Exec=" + program + " --action open-gallery"));
        QVERIFY(text.contains("Name=New Generation"));
        QVERIFY(text.contains("Name=Open Gallery"));
        QVERIFY(text.contains("MimeType=image/png;"));
    }

    void theInstalledProgramStartsItsInstalledBackend()
    {
        QTemporaryDir home;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("HOME", home.path());
        environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
        environment.insert("XDG_CACHE_HOME", home.filePath("cache"));
        environment.insert("ARTWORK_DATA_DIR", home.filePath("data"));
        int exitCode = 0;
        const QString output = run(installed("bin/pictavia"), {"--startup-probe"}, &exitCode, environment);
        QVERIFY2(exitCode == 0, qPrintable(output));
        QVERIFY2(output.contains("[Startup] backend project: " + installed("share/pictavia/artwork-backend")),
                 qPrintable(output));
        QVERIFY2(output.contains("[Backend] Started"), qPrintable(output));
    }
};

QTEST_GUILESS_MAIN(InstallationTest)
#include "tst_installation.moc"
