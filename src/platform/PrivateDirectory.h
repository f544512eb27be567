#pragma once

#include <QString>

// A directory only the current user can enter: created with mode 0700 if missing, and refused
// when it is a symbolic link, belongs to someone else, or cannot be made private.
namespace PrivateDirectory {

// Returns an empty string on success, else the reason the directory cannot be used.
QString ensure(const QString &path);

} // namespace PrivateDirectory
