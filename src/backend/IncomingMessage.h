#pragma once

#include "backend/RPCModels.h"

#include <QByteArray>

#include <optional>

// What one line of the backend's output turned out to be. Decoding is a pure function so that
// it can run off the main thread for large replies.
struct IncomingMessage
{
    enum class Kind { Blank, Progress, Response, Undecodable };

    Kind kind = Kind::Blank;
    std::optional<ArtworkProgress> progress; // Progress: the params, when the notification had them
    RPCResponse response;                    // Response
    QString decodeError;                     // Undecodable: the reader's description
    QByteArray rawLine;                      // Undecodable: the line as received

    static IncomingMessage decode(const QByteArray &line);
};
