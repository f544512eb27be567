#pragma once

#include "backend/JSONValue.h"

#include <QString>

#include <exception>
#include <optional>

// The JSON-RPC 2.0 messages exchanged with the backend. Decoding throws JSONError when a
// required key is missing or has the wrong JSON type; optional keys read absent or null as absent.

struct RPCRequest
{
    QString jsonrpc = QStringLiteral("2.0");
    QString id;
    QString method;
    std::optional<JSONValue> params; // omitted from the JSON when absent

    JSONValue toJSON() const;
    static RPCRequest fromJSON(const JSONValue &value);
};

struct RPCErrorPayload
{
    qint64 code = 0;
    QString message;
    std::optional<JSONValue> data;

    JSONValue toJSON() const;
    static RPCErrorPayload fromJSON(const JSONValue &value);
    friend bool operator==(const RPCErrorPayload &, const RPCErrorPayload &) = default;
};

struct RPCResponse
{
    QString jsonrpc;
    std::optional<QString> id;
    std::optional<JSONValue> result;
    std::optional<RPCErrorPayload> error;

    JSONValue toJSON() const;
    static RPCResponse fromJSON(const JSONValue &value);
};

struct ArtworkProgress
{
    std::optional<QString> id;
    QString stage;
    double percent = 0;
    QString message;

    JSONValue toJSON() const;
    static ArtworkProgress fromJSON(const JSONValue &value);
    friend bool operator==(const ArtworkProgress &, const ArtworkProgress &) = default;
};

struct ProgressNotification
{
    QString jsonrpc;
    QString method;
    std::optional<ArtworkProgress> params;

    JSONValue toJSON() const;
    static ProgressNotification fromJSON(const JSONValue &value);
};

// The errors of the backend link; description() is the text screens show.
class RPCClientError : public std::exception
{
public:
    enum class Kind { ServerError, PipeWriteFailure, ProcessNotRunning, Timeout, InvalidResponse };

    static RPCClientError serverError(RPCErrorPayload payload);
    static RPCClientError pipeWriteFailure(QString writeError);
    static RPCClientError processNotRunning() { return RPCClientError(Kind::ProcessNotRunning); }
    static RPCClientError timeout() { return RPCClientError(Kind::Timeout); }
    static RPCClientError invalidResponse() { return RPCClientError(Kind::InvalidResponse); }

    Kind kind() const { return m_kind; }
    const std::optional<RPCErrorPayload> &payload() const { return m_payload; }
    QString description() const;
    const char *what() const noexcept override { return m_what.constData(); }

private:
    explicit RPCClientError(Kind kind, std::optional<RPCErrorPayload> payload = {},
                            QString writeError = {});

    Kind m_kind;
    std::optional<RPCErrorPayload> m_payload;
    QString m_writeError;
    QByteArray m_what;
};

// The text of any error a backend operation can raise: the client's descriptions, the record
// reading errors, or a plain exception's message.
QString errorDescription(const std::exception &error);
