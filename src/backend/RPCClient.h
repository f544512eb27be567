#pragma once

#include "backend/IncomingMessage.h"
#include "backend/LineSplitter.h"
#include "backend/PendingRequests.h"
#include "backend/PipeReader.h"
#include "backend/PipeWriter.h"
#include "backend/RPCModels.h"

#include <QHash>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QProcess>

#include <QCoro/QCoroTask>

#include <coroutine>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

// Owns one backend child process and speaks newline-delimited JSON-RPC 2.0 with it.
//
// Everything runs on the thread that owns the client (the main thread): writes go to the
// child's standard input without blocking, and only replies too large to decode in a frame are
// decoded on a worker thread, in order with the lines around them.
class JSONRPCClient : public QObject
{
    Q_OBJECT

public:
    using ProgressHandler = std::function<void(const ArtworkProgress &)>;

    JSONRPCClient(const QString &pythonPath, const QString &moduleName,
                  const QMap<QString, QString> &environment, QObject *parent = nullptr);
    ~JSONRPCClient() override;

    // Launches the child; a second call while running does nothing. Throws std::runtime_error
    // with the platform's description when the launch fails.
    void start();
    // Asks the child to terminate and fails every waiting request with processNotRunning.
    void stop();
    bool isRunning() const { return m_isRunning; }

    // Sends one request and resumes with its response. Throws RPCClientError (serverError,
    // pipeWriteFailure, processNotRunning, timeout) or the encoder's JSONError.
    QCoro::Task<RPCResponse> send(const QString &method, std::optional<JSONValue> params,
                                  double timeoutSeconds);

    void setProgressHandler(ProgressHandler handler) { m_progressHandler = std::move(handler); }

    // Lines at least this long are decoded on a worker thread.
    static constexpr qsizetype offThreadDecodeThreshold = 128 * 1024;

    static QString newRequestId();

private:
    struct RequestState
    {
        std::coroutine_handle<> waiter;
        std::optional<PendingRequests::Outcome> outcome;
    };
    struct RequestAwaiter;
    struct QueuedWrite
    {
        QString id;
        qint64 endOffset;
        int timeoutMs;
    };

    void enqueue(const QString &id, const QByteArray &line, double timeoutSeconds,
                 std::shared_ptr<RequestState> state);
    void onBytesWritten(qint64 count);
    void onStandardOutput();
    bool readStandardOutput();
    void onStandardError();
    void onOutputEnded();
    void processInbox();
    void dispatch(IncomingMessage message);
    void failQueuedWrites(const QString &writeError);
    void timerEvent(QTimerEvent *event) override;
    void completeRequest(const QString &id, PendingRequests::Outcome outcome);
    // Resumes a caller or calls the progress handler from the event loop, never from inside the
    // client's own work, so that the caller may stop or drop the client without pulling it out
    // from under us; in arrival order.
    void deliver(std::function<void()> call);
    void failAllPendingRequests(const RPCClientError &error);

    QPointer<QProcess> m_process;
    // The child's standard input and output: our own pipes, written at once rather than on the
    // next turn of the event loop, and read with one call rather than two.
    PipeWriter m_stdin;
    PipeReader m_stdout;
    LineSplitter m_buffer;
    PendingRequests m_pending;
    ProgressHandler m_progressHandler;
    bool m_isRunning = false;
    bool m_outputEnded = false;

    // Bytes handed to the process and bytes it reports written, to arm each timeout at the
    // end of its request's write.
    qint64 m_bytesQueued = 0;
    qint64 m_bytesWritten = 0;
    std::deque<QueuedWrite> m_writes;
    QHash<int, QString> m_timerRequests;
    QHash<QString, int> m_requestTimers;

    // Lines waiting to be decoded and dispatched, in arrival order; an empty optional marks
    // the end of output.
    std::deque<std::optional<QByteArray>> m_inbox;
    // Set while a read of standard output is handled: what it completes runs right after it.
    std::vector<std::function<void()>> *m_handOff = nullptr;
    bool m_decodeInFlight = false;
};
