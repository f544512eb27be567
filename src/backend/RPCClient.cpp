#include "backend/RPCClient.h"

#include "backend/Log.h"

#include <QCoreApplication>
#include <QFutureWatcher>
#include <QProcessEnvironment>
#include <QStringDecoder>
#include <QTimerEvent>
#include <QUuid>
#include <QtConcurrent/QtConcurrentRun>

#include <cmath>
#include <csignal>
#include <mutex>
#include <stdexcept>

#include <unistd.h>

namespace {

// A write to a child that has exited must surface as an error, not end the application.
void ignoreBrokenPipeSignal()
{
    static std::once_flag once;
    std::call_once(once, [] { std::signal(SIGPIPE, SIG_IGN); });
}

// Calls run from the application's event loop, in the order they were queued. One zero timer
// serves each batch: a posted event would wake the loop through its event fd every time, which
// costs a round trip of small requests a sixth of its time.
class DeferredCalls : public QObject
{
public:
    static void post(std::function<void()> call)
    {
        DeferredCalls *calls = instance();
        calls->m_calls.push_back(std::move(call));
        if (!calls->m_timerId)
            calls->m_timerId = calls->startTimer(0);
    }
    static bool isIdle() { return instance()->m_calls.empty(); }

protected:
    void timerEvent(QTimerEvent *) override
    {
        killTimer(std::exchange(m_timerId, 0));
        // Calls queued while these run wait for the next batch, as posted events would.
        const std::deque<std::function<void()>> calls = std::exchange(m_calls, {});
        for (const auto &call : calls)
            call();
    }

private:
    using QObject::QObject;
    static DeferredCalls *instance()
    {
        static QPointer<DeferredCalls> calls;
        if (!calls)
            calls = new DeferredCalls(QCoreApplication::instance());
        return calls;
    }

    std::deque<std::function<void()>> m_calls;
    int m_timerId = 0;
};

} // namespace

struct JSONRPCClient::RequestAwaiter
{
    JSONRPCClient *client;
    QString id;
    QByteArray line;
    double timeoutSeconds;
    std::shared_ptr<RequestState> state;

    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> waiter)
    {
        state->waiter = waiter;
        client->enqueue(id, line, timeoutSeconds, state);
    }
    RPCResponse await_resume()
    {
        PendingRequests::Outcome outcome = std::move(*state->outcome);
        if (auto *error = std::get_if<RPCClientError>(&outcome))
            throw *error;
        return std::get<RPCResponse>(std::move(outcome));
    }
};

JSONRPCClient::JSONRPCClient(const QString &pythonPath, const QString &moduleName,
                             const QMap<QString, QString> &environment, QObject *parent)
    : QObject(parent)
{
    ignoreBrokenPipeSignal();
    QProcessEnvironment childEnvironment = QProcessEnvironment::systemEnvironment();
    for (auto it = environment.begin(); it != environment.end(); ++it)
        childEnvironment.insert(it.key(), it.value());
    childEnvironment.insert(QStringLiteral("PYTHONDONTWRITEBYTECODE"), QStringLiteral("1"));

    // Not parented: a child that is still shutting down outlives the client and deletes itself.
    m_process = new QProcess;
    m_process->setProgram(pythonPath);
    m_process->setArguments({QStringLiteral("-m"), moduleName});
    m_process->setProcessEnvironment(childEnvironment);
    m_process->setProcessChannelMode(QProcess::SeparateChannels);
    // QProcess gives the child /dev/null for both, which the child then replaces with our pipes.
    const int childStdin = m_stdin.open();
    const int childStdout = m_stdout.open();
    m_process->setStandardInputFile(QProcess::nullDevice());
    m_process->setStandardOutputFile(QProcess::nullDevice());
    m_process->setChildProcessModifier([childStdin, childStdout] {
        if (childStdin >= 0)
            ::dup2(childStdin, STDIN_FILENO);
        if (childStdout >= 0)
            ::dup2(childStdout, STDOUT_FILENO);
    });
    connect(m_process, &QProcess::readyReadStandardError, this, &JSONRPCClient::onStandardError);
    connect(&m_stdin, &PipeWriter::failed, this, &JSONRPCClient::failQueuedWrites);
    connect(&m_stdin, &PipeWriter::bytesWritten, this, &JSONRPCClient::onBytesWritten);
    QProcess *process = m_process;
    connect(m_process, &QProcess::finished, m_process, [process] { process->deleteLater(); });
}

JSONRPCClient::~JSONRPCClient()
{
    // Nobody is left to answer: waiting callers must not hang forever.
    m_pending.failAll(RPCClientError::processNotRunning());
    if (!m_process)
        return;
    m_process->disconnect(this);
    if (m_process->state() == QProcess::NotRunning) {
        delete m_process;
    } else {
        // Releasing the pipes: the backend sees the end of its input and exits by itself.
        m_stdin.close();
    }
}

void JSONRPCClient::start()
{
    if (m_isRunning)
        return;
    if (!m_process || m_process->state() != QProcess::NotRunning)
        throw std::runtime_error("The backend process of this client was already used");
    m_process->start(QIODevice::ReadWrite);
    if (!m_process->waitForStarted(10000)) {
        const QString reason = m_process->errorString();
        throw std::runtime_error(reason.toStdString());
    }
    m_stdin.closeReadEnd();
    m_stdout.closeWriteEnd();
    m_isRunning = true;
    connect(&m_stdout, &PipeReader::readyRead, this, &JSONRPCClient::onStandardOutput);
    m_stdout.setWatching(true);
    connect(m_process, &QProcess::finished, this, &JSONRPCClient::onOutputEnded);
}

void JSONRPCClient::stop()
{
    if (!m_isRunning)
        return;
    m_stdout.setWatching(false);
    disconnect(&m_stdout, &PipeReader::readyRead, this, nullptr);
    m_inbox.clear();
    // The process object is gone once a child that exited by itself has been reaped.
    if (m_process) {
        disconnect(m_process, &QProcess::finished, this, nullptr);
        m_process->terminate();
    }
    m_isRunning = false;
    failAllPendingRequests(RPCClientError::processNotRunning());
}

QString JSONRPCClient::newRequestId()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

QCoro::Task<RPCResponse> JSONRPCClient::send(const QString &method, std::optional<JSONValue> params,
                                             double timeoutSeconds)
{
    if (!m_isRunning)
        throw RPCClientError::processNotRunning();
    RPCRequest request;
    request.id = newRequestId();
    request.method = method;
    request.params = std::move(params);
    QByteArray line = request.toJSON().encode();
    line.append('\n');
    // A named awaiter, not a temporary: GCC 12 mishandles temporaries inside co_await.
    // The client may be gone once this resumes; only the awaiter's own state is used after it.
    RequestAwaiter awaiter{this, request.id, line, timeoutSeconds, std::make_shared<RequestState>()};
    RPCResponse response = co_await awaiter;
    co_return response;
}

void JSONRPCClient::enqueue(const QString &id, const QByteArray &line, double timeoutSeconds,
                            std::shared_ptr<RequestState> state)
{
    m_pending.add(id, [this, state](PendingRequests::Outcome outcome) {
        state->outcome = std::move(outcome);
        deliver([waiter = state->waiter] { waiter.resume(); });
    });
    if (!m_process || m_process->state() != QProcess::Running) {
        completeRequest(id, RPCClientError::pipeWriteFailure(QStringLiteral("Broken pipe")));
        return;
    }
    // Recorded before writing: the write may report its progress, or the pipe's failure, at once.
    m_bytesQueued += line.size();
    const double ms = std::ceil(std::clamp(timeoutSeconds, 0.0, 2.0e6) * 1000.0);
    m_writes.push_back({id, m_bytesQueued, int(ms)});
    m_stdin.write(line);
}

void JSONRPCClient::onBytesWritten(qint64 count)
{
    m_bytesWritten += count;
    while (!m_writes.empty() && m_writes.front().endOffset <= m_bytesWritten) {
        const QueuedWrite write = m_writes.front();
        m_writes.pop_front();
        if (!m_pending.contains(write.id))
            continue;
        const int timerId = startTimer(write.timeoutMs, Qt::PreciseTimer);
        m_timerRequests.insert(timerId, write.id);
        m_requestTimers.insert(write.id, timerId);
    }
}

void JSONRPCClient::failQueuedWrites(const QString &writeError)
{
    const std::deque<QueuedWrite> unwritten = std::exchange(m_writes, {});
    for (const QueuedWrite &write : unwritten)
        completeRequest(write.id, RPCClientError::pipeWriteFailure(writeError));
}

void JSONRPCClient::timerEvent(QTimerEvent *event)
{
    const QString id = m_timerRequests.value(event->timerId());
    if (id.isNull())
        return QObject::timerEvent(event);
    completeRequest(id, RPCClientError::timeout());
}

void JSONRPCClient::completeRequest(const QString &id, PendingRequests::Outcome outcome)
{
    if (const int timerId = m_requestTimers.take(id)) {
        killTimer(timerId);
        m_timerRequests.remove(timerId);
    }
    m_pending.complete(id, std::move(outcome));
}

void JSONRPCClient::failAllPendingRequests(const RPCClientError &error)
{
    for (auto it = m_timerRequests.keyBegin(); it != m_timerRequests.keyEnd(); ++it)
        killTimer(*it);
    m_timerRequests.clear();
    m_requestTimers.clear();
    m_pending.failAll(error);
}

void JSONRPCClient::onStandardOutput()
{
    std::vector<std::function<void()>> handOff;
    m_handOff = &handOff;
    readStandardOutput();
    m_handOff = nullptr;
    if (m_stdout.atEnd())
        onOutputEnded();
    // The client is not touched after this point: a resumed caller may stop or drop it.
    for (const auto &call : handOff)
        call();
}

void JSONRPCClient::deliver(std::function<void()> call)
{
    // While a read is handled, its results go to the callers as soon as the client's own work
    // is done, in the same turn of the event loop, unless earlier ones still wait their turn.
    if (m_handOff && DeferredCalls::isIdle())
        m_handOff->push_back(std::move(call));
    else
        DeferredCalls::post(std::move(call));
}

bool JSONRPCClient::readStandardOutput()
{
    const QByteArray chunk = m_stdout.read();
    if (chunk.isEmpty())
        return false;
    m_buffer.append(chunk, [this](QByteArray line) { m_inbox.emplace_back(std::move(line)); });
    processInbox();
    return true;
}

void JSONRPCClient::onOutputEnded()
{
    if (m_outputEnded)
        return;
    // What the child wrote before it went: at most a pipeful, unless something it left
    // behind keeps writing.
    for (int reads = 0; reads < 16 && readStandardOutput(); ++reads) {
    }
    m_outputEnded = true;
    m_inbox.emplace_back(std::nullopt);
    processInbox();
}

void JSONRPCClient::processInbox()
{
    while (!m_decodeInFlight && !m_inbox.empty()) {
        if (!m_inbox.front()) {
            m_inbox.pop_front();
            appLog(QStringLiteral("[RPCClient] Backend stdout closed (EOF)."));
            failAllPendingRequests(RPCClientError::processNotRunning());
            continue;
        }
        if (m_inbox.front()->size() < offThreadDecodeThreshold) {
            const QByteArray line = std::move(*m_inbox.front());
            m_inbox.pop_front();
            dispatch(IncomingMessage::decode(line));
            continue;
        }
        // A large reply: decode it and the lines queued behind it on a worker, then dispatch
        // them here in order. Lines arriving meanwhile wait in the inbox.
        std::vector<QByteArray> batch;
        while (!m_inbox.empty() && m_inbox.front()) {
            batch.push_back(std::move(*m_inbox.front()));
            m_inbox.pop_front();
        }
        m_decodeInFlight = true;
        auto *watcher = new QFutureWatcher<std::vector<IncomingMessage>>(this);
        connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
            // Taken, not copied: a copy left in the future would make the watcher's deferred
            // deletion tear the whole decoded reply down on the main thread later.
            std::vector<IncomingMessage> messages = watcher->future().takeResult();
            watcher->deleteLater();
            m_decodeInFlight = false;
            if (!m_isRunning && !m_outputEnded)
                return; // stopped while decoding: the reader is detached
            for (IncomingMessage &message : messages)
                dispatch(std::move(message));
            processInbox();
        });
        watcher->setFuture(QtConcurrent::run([batch = std::move(batch)] {
            std::vector<IncomingMessage> messages;
            messages.reserve(batch.size());
            for (const QByteArray &line : batch)
                messages.push_back(IncomingMessage::decode(line));
            return messages;
        }));
    }
}

void JSONRPCClient::dispatch(IncomingMessage message)
{
    switch (message.kind) {
    case IncomingMessage::Kind::Blank:
        return;
    case IncomingMessage::Kind::Progress:
        if (m_progressHandler && message.progress) {
            // Queued with the resumptions, so that progress reaches the handler before the
            // reply that follows it reaches its caller.
            deliver([client = QPointer(this), handler = m_progressHandler,
                     progress = *message.progress] {
                if (client)
                    handler(progress);
            });
        }
        return;
    case IncomingMessage::Kind::Undecodable: {
        appLog(QStringLiteral("[RPCClient] Failed to decode response: ") + message.decodeError);
        QStringDecoder decoder(QStringDecoder::Utf8);
        QString raw = decoder(message.rawLine);
        if (decoder.hasError())
            raw = QStringLiteral("<non-utf8 data>");
        appLog(QStringLiteral("[RPCClient] Raw line: ") + raw);
        return;
    }
    case IncomingMessage::Kind::Response:
        if (!message.response.id)
            return;
        const QString id = *message.response.id;
        if (message.response.error)
            completeRequest(id, RPCClientError::serverError(*message.response.error));
        else
            completeRequest(id, std::move(message.response));
        return;
    }
}

void JSONRPCClient::onStandardError()
{
    if (!m_process)
        return;
    const QByteArray chunk = m_process->readAllStandardError();
    if (chunk.isEmpty())
        return;
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(chunk);
    if (decoder.hasError())
        return;
    appLog(QStringLiteral("[Backend stderr] ") + text);
}
