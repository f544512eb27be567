// Start-up to the main window shown: launches the built pictavia with --startup-probe again and
// again and reports the median time from process launch to the window's first frame, and whether
// the backend had answered its first ping by then (it must not have: the window comes first).
//   build/bench/bench_startup [runs=20]        (offscreen; set QT_QPA_PLATFORM=xcb under Xvfb)
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

struct Run {
    double launchToShownMs = 0; // measured here, from QProcess::start
    double mainToShownMs = 0;   // reported by the app, from entering main()
    bool backendConnected = true;
};

bool runOnce(const QString &executable, Run &run)
{
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!environment.contains("QT_QPA_PLATFORM"))
        environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("HOME", home.path());
    environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
    environment.insert("XDG_CACHE_HOME", home.filePath("cache"));
    environment.insert("ARTWORK_DATA_DIR", home.filePath("data"));

    QProcess app;
    app.setProcessEnvironment(environment);
    app.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer clock;
    clock.start();
    app.start(executable, {"--startup-probe"});
    if (!app.waitForStarted(5000))
        return false;
    static const QRegularExpression shown(
        R"(\[Startup\] window shown after ([0-9.]+) ms; backend connected: (true|false))");
    QByteArray output;
    while (clock.elapsed() < 20000) {
        if (!app.canReadLine() && !app.waitForReadyRead(100)) {
            if (app.state() == QProcess::NotRunning)
                break;
            continue;
        }
        while (app.canReadLine()) {
            const QString line = QString::fromUtf8(app.readLine());
            const auto match = shown.match(line);
            if (match.hasMatch()) {
                run.launchToShownMs = clock.nsecsElapsed() / 1e6;
                run.mainToShownMs = match.captured(1).toDouble();
                run.backendConnected = match.captured(2) == "true";
                app.waitForFinished(10000);
                return true;
            }
        }
    }
    app.kill();
    app.waitForFinished();
    return false;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
    const QString executable = QStringLiteral(PICTAVIA_EXECUTABLE);

    Run warmUp;
    runOnce(executable, warmUp); // page cache and font cache

    std::vector<double> launch, fromMain;
    int connectedFirst = 0;
    for (int i = 0; i < runs; ++i) {
        Run run;
        if (!runOnce(executable, run)) {
            std::fprintf(stderr, "run %d: the window was never reported shown\n", i + 1);
            return 1;
        }
        launch.push_back(run.launchToShownMs);
        fromMain.push_back(run.mainToShownMs);
        connectedFirst += run.backendConnected ? 1 : 0;
    }
    std::printf("start-up to main window shown, %d runs (%s)\n", runs,
                qPrintable(qEnvironmentVariable("QT_QPA_PLATFORM", "offscreen")));
    std::printf("  process launch -> shown: median %.1f ms, min %.1f, max %.1f\n", median(launch),
                *std::min_element(launch.begin(), launch.end()),
                *std::max_element(launch.begin(), launch.end()));
    std::printf("  main() -> shown:         median %.1f ms\n", median(fromMain));
    std::printf("  backend answered before the window was shown: %d of %d runs\n", connectedFirst, runs);
    return connectedFirst == 0 ? 0 : 1;
}
