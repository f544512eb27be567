#include "CommandLine.h"

#include "DesktopActions.h"

#include <QCommandLineParser>
#include <QDir>

#include "BuildConfig.h"

namespace {

QUrl fileArgumentToUrl(const QString &argument, const QString &workingDirectory)
{
    // Desktop launchers pass %U as URIs; a shell passes plain paths.
    const QUrl url(argument, QUrl::StrictMode);
    if (url.isValid() && url.scheme().size() > 1)
        return url;
    return QUrl::fromLocalFile(QDir::cleanPath(QDir(workingDirectory).absoluteFilePath(argument)));
}

// Whatever the binary was started as, the help speaks of the command users type.
QString helpWithProgramName(QString help)
{
    const qsizetype usageEnd = help.indexOf(QLatin1String(" ["));
    if (help.startsWith(QLatin1String("Usage: ")) && usageEnd > 0)
        help.replace(7, usageEnd - 7, QLatin1String("pictavia"));
    return help;
}

} // namespace

CommandLine::Outcome CommandLine::parse(const QStringList &arguments, const QString &workingDirectory)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Pictavia makes AI artwork for music releases: album covers, track covers "
                       "and artist images."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption action(
        QStringLiteral("action"),
        QStringLiteral("Run a desktop action: %1.").arg(DesktopActions::names().join(QStringLiteral(", "))),
        QStringLiteral("name"));
    parser.addOption(action);
    QCommandLineOption screenshots(QStringLiteral("screenshot-dir"),
                                   QStringLiteral("Render every screen into PNG files in <dir>, then quit."),
                                   QStringLiteral("dir"));
    parser.addOption(screenshots);
    QCommandLineOption probe(QStringLiteral("startup-probe"),
                             QStringLiteral("Print start-up timings once the window is shown, then quit."));
    probe.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(probe);
    parser.addPositionalArgument(QStringLiteral("files"),
                                 QStringLiteral("Images to use as the source image for generation."),
                                 QStringLiteral("[files...]"));

    if (!parser.parse(arguments))
        return UsageError{parser.errorText()};
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all")))
        return ShowText{helpWithProgramName(parser.helpText())};
    if (parser.isSet(version))
        return ShowText{QStringLiteral("Pictavia %1\n").arg(QLatin1String(BuildConfig::version))};

    LaunchRequest request;
    if (parser.isSet(action)) {
        request.action = parser.value(action);
        if (!DesktopActions::tabFor(request.action))
            return UsageError{QStringLiteral("Unknown action \"%1\"; known actions: %2.")
                                  .arg(request.action, DesktopActions::names().join(QStringLiteral(", ")))};
    }
    for (const QString &argument : parser.positionalArguments())
        request.files << fileArgumentToUrl(argument, workingDirectory);
    if (parser.isSet(screenshots))
        request.screenshotDir =
            QDir::cleanPath(QDir(workingDirectory).absoluteFilePath(parser.value(screenshots)));
    request.startupProbe = parser.isSet(probe);
    return request;
}
