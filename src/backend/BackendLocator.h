#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

// Where to look for the backend project, in order of preference.
struct BackendSearchPaths
{
    QString resourcesDir;   // the installed application's data directory; may not exist
    QString executablePath; // the running executable
    QString devCheckout;    // the compiled-in development checkout, used when nothing else is found

    // <prefix>/share/pictavia next to <prefix>/bin/pictavia, the running executable, and the
    // source tree this binary was built from.
    static BackendSearchPaths forRunningApplication();
};

namespace BackendLayout {
inline constexpr const char *serverMarker = "src/artwork/rpc_server.py";
inline constexpr const char *interpreter = ".venv/bin/python";
inline constexpr const char *moduleName = "artwork.rpc_server";
} // namespace BackendLayout

// The backend project root: an installed backend with its interpreter, else the nearest of the
// executable's directory and five levels above it holding the server module, else the
// development checkout (whether or not it exists).
QString resolveBackendProjectRoot(const BackendSearchPaths &paths);

// KEY=value lines of a .env file. Comments (#), blank lines and lines without "=" are skipped;
// key and value are trimmed of spaces and tabs and otherwise passed on as written. A file that
// is not valid UTF-8 yields nothing.
QList<std::pair<QString, QString>> parseDotEnv(const QByteArray &contents);
