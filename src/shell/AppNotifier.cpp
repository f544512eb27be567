#include "AppNotifier.h"

std::optional<int> AppNotifier::tabIndexFrom(const QVariant &object)
{
    switch (object.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
        break;
    default:
        return std::nullopt;
    }
    const qlonglong index = object.toLongLong();
    if (index < 0 || index >= tabCount)
        return std::nullopt;
    return static_cast<int>(index);
}
