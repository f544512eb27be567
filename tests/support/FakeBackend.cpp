#include "support/FakeBackend.h"

#include "backend/Log.h"

#include <QFile>
#include <QMutex>

FakeBackend::FakeBackend() = default;

void FakeBackend::addRule(const QString &method, const JSONArray &actions, bool repeat)
{
    m_rules.emplace_back(JSONObject{{"method", method}, {"actions", actions}, {"repeat", repeat}});
}

void FakeBackend::addReply(const QString &method, const JSONValue &result)
{
    addRule(method, {JSONObject{{"reply", JSONObject{{"result", result}}}}});
}

void FakeBackend::addError(const QString &method, qint64 code, const QString &message)
{
    addRule(method, {JSONObject{
                        {"reply", JSONObject{{"error", JSONObject{{"code", double(code)}, {"message", message}}}}}}});
}

QString FakeBackend::projectRoot() const { return QStringLiteral(PICTAVIA_FAKE_BACKEND_DIR); }

QString FakeBackend::pythonPath() const { return projectRoot() + QStringLiteral("/.venv/bin/python"); }

void FakeBackend::writeScript() const
{
    QFile file(m_dir.filePath("script.json"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write the fake backend's script");
    const JSONValue script = JSONObject{{"on_start", m_onStart}, {"rules", m_rules}};
    file.write(script.encode());
}

QMap<QString, QString> FakeBackend::environment() const
{
    writeScript();
    return {{"PYTHONPATH", projectRoot() + QStringLiteral("/src")},
            {"FAKE_BACKEND_SCRIPT", m_dir.filePath("script.json")},
            {"FAKE_BACKEND_RECORD", m_dir.filePath("received.jsonl")},
            {"FAKE_BACKEND_ENV", m_dir.filePath("environment.json")},
            {"FAKE_BACKEND_STARTS", m_dir.filePath("starts.txt")}};
}

QByteArray FakeBackend::receivedBytes() const
{
    QFile file(m_dir.filePath("received.jsonl"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QList<JSONValue> FakeBackend::receivedRequests() const
{
    QList<JSONValue> requests;
    for (const QByteArray &line : receivedBytes().split('\n')) {
        if (!line.isEmpty())
            requests.append(JSONValue::decode(line));
    }
    return requests;
}

QStringList FakeBackend::receivedMethods() const
{
    QStringList methods;
    for (const JSONValue &request : receivedRequests())
        methods.append(*request.object()->find("method")->string());
    return methods;
}

JSONObject FakeBackend::childEnvironment() const
{
    QFile file(m_dir.filePath("environment.json"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return *JSONValue::decode(file.readAll()).object();
}

int FakeBackend::startCount() const
{
    QFile file(m_dir.filePath("starts.txt"));
    return file.open(QIODevice::ReadOnly) ? int(file.readAll().count('\n')) : 0;
}

struct LogCapture::State
{
    QMutex mutex;
    QStringList entries;
};

LogCapture::LogCapture() : m_state(std::make_shared<State>())
{
    setAppLogSink([state = m_state](const QString &entry) {
        QMutexLocker lock(&state->mutex);
        state->entries.append(entry);
    });
}

LogCapture::~LogCapture() { setAppLogSink({}); }

QStringList LogCapture::entries() const
{
    QMutexLocker lock(&m_state->mutex);
    return m_state->entries;
}
