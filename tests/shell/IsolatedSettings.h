#pragma once

#include <QCoreApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

// Preferences and per-window state of a test go to a fresh directory, never the user's.
struct IsolatedSettings {
    QTemporaryDir directory;

    IsolatedSettings()
    {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("Pictavia"));
        QCoreApplication::setApplicationName(QStringLiteral("Pictavia"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, directory.path());
    }

    static void clear() { QSettings().clear(); }
};
