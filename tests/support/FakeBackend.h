#pragma once

#include "backend/JSONValue.h"

#include <QMap>
#include <QStringList>
#include <QTemporaryDir>

// A scripted backend child for tests that cross a real process boundary: the script says how
// it answers, and every request line it received can be read back.
class FakeBackend
{
public:
    FakeBackend();

    // One rule per call, taken in order (see the fake's module docstring).
    void addRule(const QString &method, const JSONArray &actions, bool repeat = false);
    void addReply(const QString &method, const JSONValue &result);
    void addError(const QString &method, qint64 code, const QString &message);
    // Output written before the fake reads its first request.
    void addOnStart(const JSONValue &action) { m_onStart.push_back(action); }

    QString projectRoot() const;
    QString pythonPath() const;
    // Environment pointing the fake at the script and the record files.
    QMap<QString, QString> environment() const;
    // Writes the script file; done by environment() as well.
    void writeScript() const;

    QList<JSONValue> receivedRequests() const;
    QStringList receivedMethods() const;
    QByteArray receivedBytes() const;
    JSONObject childEnvironment() const;
    int startCount() const;
    QString dir() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    JSONArray m_onStart;
    JSONArray m_rules;
};

// Captures log entries while alive.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    QStringList entries() const;
    bool contains(const QString &entry) const { return entries().contains(entry); }

private:
    struct State;
    std::shared_ptr<State> m_state;
};
