#include "backend/RPCModels.h"

#include "backend/JSONReading.h"

using namespace JSONReading;

namespace {

std::optional<JSONValue> optionalValue(const JSONObject &object, const QString &key)
{
    const JSONValue *value = object.find(key);
    return value && !value->isNull() ? std::optional(*value) : std::nullopt;
}

} // namespace

JSONValue RPCRequest::toJSON() const
{
    JSONObject object{{"jsonrpc", jsonrpc}, {"id", id}, {"method", method}};
    if (params)
        object.insert("params", *params);
    return object;
}

RPCRequest RPCRequest::fromJSON(const JSONValue &value)
{
    const JSONObject &object = JSONReading::object(value, "request");
    return {requiredString(object, "jsonrpc"), requiredString(object, "id"),
            requiredString(object, "method"), optionalValue(object, "params")};
}

JSONValue RPCErrorPayload::toJSON() const
{
    JSONObject object{{"code", double(code)}, {"message", message}};
    if (data)
        object.insert("data", *data);
    return object;
}

RPCErrorPayload RPCErrorPayload::fromJSON(const JSONValue &value)
{
    const JSONObject &object = JSONReading::object(value, "error");
    return {requiredInteger(object, "code"), requiredString(object, "message"),
            optionalValue(object, "data")};
}

JSONValue RPCResponse::toJSON() const
{
    JSONObject object{{"jsonrpc", jsonrpc}};
    if (id)
        object.insert("id", *id);
    if (result)
        object.insert("result", *result);
    if (error)
        object.insert("error", error->toJSON());
    return object;
}

RPCResponse RPCResponse::fromJSON(const JSONValue &value)
{
    const JSONObject &object = JSONReading::object(value, "response");
    RPCResponse response;
    response.jsonrpc = requiredString(object, "jsonrpc");
    response.id = optionalString(object, "id");
    response.result = optionalValue(object, "result");
    if (auto error = optionalValue(object, "error"))
        response.error = RPCErrorPayload::fromJSON(*error);
    return response;
}

JSONValue ArtworkProgress::toJSON() const
{
    JSONObject object{{"stage", stage}, {"percent", percent}, {"message", message}};
    if (id)
        object.insert("id", *id);
    return object;
}

ArtworkProgress ArtworkProgress::fromJSON(const JSONValue &value)
{
    const JSONObject &object = JSONReading::object(value, "progress");
    return {optionalString(object, "id"), requiredString(object, "stage"),
            requiredDouble(object, "percent"), requiredString(object, "message")};
}

JSONValue ProgressNotification::toJSON() const
{
    JSONObject object{{"jsonrpc", jsonrpc}, {"method", method}};
    if (params)
        object.insert("params", params->toJSON());
    return object;
}

ProgressNotification ProgressNotification::fromJSON(const JSONValue &value)
{
    const JSONObject &object = JSONReading::object(value, "notification");
    ProgressNotification notification;
    notification.jsonrpc = requiredString(object, "jsonrpc");
    notification.method = requiredString(object, "method");
    if (auto params = optionalValue(object, "params"))
        notification.params = ArtworkProgress::fromJSON(*params);
    return notification;
}

RPCClientError::RPCClientError(Kind kind, std::optional<RPCErrorPayload> payload, QString writeError)
    : m_kind(kind), m_payload(std::move(payload)), m_writeError(std::move(writeError))
{
    m_what = description().toUtf8();
}

RPCClientError RPCClientError::serverError(RPCErrorPayload payload)
{
    return RPCClientError(Kind::ServerError, std::move(payload));
}

RPCClientError RPCClientError::pipeWriteFailure(QString writeError)
{
    return RPCClientError(Kind::PipeWriteFailure, std::nullopt, std::move(writeError));
}

QString RPCClientError::description() const
{
    switch (m_kind) {
    case Kind::ServerError: {
        QString text = QStringLiteral("Server error (%1): %2").arg(m_payload->code).arg(m_payload->message);
        const JSONObject *data = m_payload->data ? m_payload->data->object() : nullptr;
        if (data && !data->isEmpty()) {
            const JSONValue *detail = data->find("detail");
            if (detail && detail->string() && !detail->string()->isEmpty())
                text += QStringLiteral("\nDetail: ") + *detail->string();
            const JSONValue *fix = data->find("fix");
            if (fix && fix->string() && !fix->string()->isEmpty())
                text += QStringLiteral("\nSuggested fix: ") + *fix->string();
        }
        return text;
    }
    case Kind::PipeWriteFailure: return QStringLiteral("Failed to write to backend pipe: ") + m_writeError;
    case Kind::ProcessNotRunning: return QStringLiteral("Python backend is not running.");
    case Kind::Timeout: return QStringLiteral("Backend request timed out.");
    case Kind::InvalidResponse: return QStringLiteral("Invalid response from backend.");
    }
    return {};
}

QString errorDescription(const std::exception &error)
{
    if (auto *client = dynamic_cast<const RPCClientError *>(&error))
        return client->description();
    if (auto *json = dynamic_cast<const JSONError *>(&error))
        return json->description();
    return QString::fromUtf8(error.what());
}
