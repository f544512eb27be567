#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <variant>

// What one launch of the program asks for.
struct LaunchRequest {
    QList<QUrl> files;  // absolute: relative paths are resolved against the launch directory
    QString action;     // one of DesktopActions::names(), or empty
    QString screenshotDir; // render every screen into PNG files there, then quit
    bool startupProbe = false; // print start-up figures once the window is shown, then quit

    bool asksRunningInstanceForSomething() const { return !files.isEmpty() || !action.isEmpty(); }
};

namespace CommandLine {

struct ShowText {      // --help or --version: print and exit successfully
    QString text;
};
struct UsageError {    // print to standard error and exit with status 2
    QString text;
};
using Outcome = std::variant<LaunchRequest, ShowText, UsageError>;

// arguments include the program name first, as QCoreApplication::arguments() gives them.
Outcome parse(const QStringList &arguments, const QString &workingDirectory);

} // namespace CommandLine
