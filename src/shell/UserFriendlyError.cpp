#include "UserFriendlyError.h"

#include <array>
#include <initializer_list>

namespace {

struct SuggestionGroup {
    std::initializer_list<const char *> keywords;
    const char *suggestion;
};

// Tested in this order; the first group with a match wins ("timed out" before "backend",
// "space" before "write").
const std::array<SuggestionGroup, 6> groups = {{
    {{"timeout", "timed out"},
     "\n\nSuggestion: Generation timed out. Try a simpler prompt or smaller size."},
    {{"disk", "space", "no space"},
     "\n\nSuggestion: Check available disk space and free up storage."},
    {{"export", "write", "permission denied"},
     "\n\nSuggestion: Check disk space and file permissions."},
    {{"connect", "process not running", "backend"},
     "\n\nSuggestion: Check that the Python backend is running. Go to Settings to reconnect."},
    {{"memory", "oom", "out of memory"},
     "\n\nSuggestion: Try reducing image size or steps, or unload unused models."},
    {{"generation", "generate", "model"},
     "\n\nSuggestion: Try reducing image size or steps."},
}};

} // namespace

QString userFriendlyError(const QString &message)
{
    const QString lower = message.toLower();
    for (const SuggestionGroup &group : groups) {
        for (const char *keyword : group.keywords) {
            if (lower.contains(QLatin1String(keyword)))
                return message + QLatin1String(group.suggestion);
        }
    }
    return message;
}
