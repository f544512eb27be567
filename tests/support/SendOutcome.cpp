#include "support/SendOutcome.h"

QCoro::Task<SendOutcome> sendCapturing(JSONRPCClient *client, QString method, std::optional<JSONValue> params,
                                       double timeout)
{
    try {
        RPCResponse response = co_await client->send(method, std::move(params), timeout);
        co_return SendOutcome{std::move(response), std::nullopt};
    } catch (const RPCClientError &error) {
        co_return SendOutcome{std::nullopt, error};
    }
}

SendOutcome sendAndWait(JSONRPCClient &client, const QString &method, std::optional<JSONValue> params, double timeout)
{
    return QCoro::waitFor(sendCapturing(&client, method, std::move(params), timeout));
}
