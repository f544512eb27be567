#include "backend/IncomingMessage.h"

namespace {

bool isProgressMethod(const JSONValue &value)
{
    const JSONObject *object = value.object();
    const JSONValue *method = object ? object->find(QStringLiteral("method")) : nullptr;
    return method && method->string() && *method->string() == QLatin1String("progress");
}

} // namespace

IncomingMessage IncomingMessage::decode(const QByteArray &line)
{
    IncomingMessage message;
    if (line.isEmpty())
        return message;
    try {
        const JSONValue value = JSONValue::decode(line);
        // A progress notification first; anything else that is not one is read as a response.
        // Only a line whose method is "progress" can be one, so replies skip the attempt (and
        // the exception it would throw for each of them).
        if (isProgressMethod(value)) {
            try {
                ProgressNotification notification = ProgressNotification::fromJSON(value);
                message.kind = Kind::Progress;
                message.progress = std::move(notification.params);
                return message;
            } catch (const JSONError &) {
            }
        }
        message.response = RPCResponse::fromJSON(value);
        message.kind = Kind::Response;
    } catch (const JSONError &error) {
        message.kind = Kind::Undecodable;
        message.decodeError = error.description();
        message.rawLine = line;
    }
    return message;
}
