#pragma once

#include <QString>

class QMenu;
class QWidget;

// The desktop has no share sheet; this menu offers what one would: the default app, a new
// e-mail with the image attached, and the file itself on the clipboard.
QMenu *createShareMenu(const QString &imagePath, QWidget *parent);
