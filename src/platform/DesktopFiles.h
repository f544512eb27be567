#pragma once

#include <QString>

#include <functional>
#include <optional>

class QMimeData;

// Handing a file to the desktop: showing it in the file manager and attaching it to a new
// e-mail. Both return at once; nothing here waits on D-Bus or a child process.

// Selects the file in the file manager (org.freedesktop.FileManager1.ShowItems). Without a
// file manager that answers, opens the folder that holds it.
void revealInFileManager(const QString &path);

// Opens the user's mail client with a new message carrying the file: through the desktop
// portal when there is one, else through xdg-email. done runs on the main thread with none
// once the composer was handed the file (or the user cancelled the portal's dialog), or
// with a text to show.
void composeEmailWithAttachment(const QString &path, std::function<void(std::optional<QString> error)> done);

// What copying a file puts on the clipboard: its URL as text/uri-list and as plain text, and
// x-special/gnome-copied-files, the form GNOME-style file managers paste as a copy of the file.
QMimeData *copiedFileMimeData(const QString &path);

// The program run when there is no mail portal; "xdg-email" unless a test sets another.
void setMailComposerProgram(const QString &program);
