#pragma once

#include <QString>

// Appends one suggestion paragraph, picked by keywords, to an error text before it is shown.
QString userFriendlyError(const QString &message);
