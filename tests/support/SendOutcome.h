#pragma once

#include "backend/RPCClient.h"

#include <QCoro/QCoroTask>

#include <optional>

// The outcome of one request, for tests that check both replies and failures.
struct SendOutcome
{
    std::optional<RPCResponse> response;
    std::optional<RPCClientError> error;

    bool failedWith(RPCClientError::Kind kind) const { return error && error->kind() == kind; }
};

QCoro::Task<SendOutcome> sendCapturing(JSONRPCClient *client, QString method, std::optional<JSONValue> params,
                                       double timeout);

// Runs one request to completion in a local event loop.
SendOutcome sendAndWait(JSONRPCClient &client, const QString &method, std::optional<JSONValue> params = {},
                        double timeout = 10);

