#include "backend/IncomingMessage.h"

IncomingMessage IncomingMessage::decode(const QByteArray &line)
{
    IncomingMessage message;
    if (line.isEmpty())
        return message;
    try {
        const JSONValue value = JSONValue::decode(line);
        // A progress notification first; anything else that is not one is read as a response.
        try {
            ProgressNotification notification = ProgressNotification::fromJSON(value);
            if (notification.method == QLatin1String("progress")) {
                message.kind = Kind::Progress;
                message.progress = std::move(notification.params);
                return message;
            }
        } catch (const JSONError &) {
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
