#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <utility>

// Holds a script a test runs (an install script's stand-in) until the test has seen what it
// checks while the script runs, as the stand-in service holds an answer until its release: the
// script waits for the release file, so no span of time decides what the test sees. The script
// gives up after about a minute only so that a test that broke before its release leaves nothing
// waiting for ever; going out of scope releases it too.
class ScriptHold
{
public:
    explicit ScriptHold(QString releaseFile) : m_releaseFile(std::move(releaseFile)) {}
    ~ScriptHold() { release(); }
    ScriptHold(const ScriptHold &) = delete;
    ScriptHold &operator=(const ScriptHold &) = delete;

    // Shell lines that return once the release file exists.
    QByteArray lines() const
    {
        // Single quotes keep any path whole; a quote in it closes them, is escaped and reopens them.
        QByteArray quoted = QFile::encodeName(m_releaseFile);
        quoted.replace('\'', "'\\''");
        return "polls=0\n"
               "while [ ! -e '" + quoted + "' ] && [ \"$polls\" -lt 3000 ]; do sleep 0.02; polls=$((polls + 1)); done\n";
    }

    bool release()
    {
        QFile file(m_releaseFile);
        return file.exists() || file.open(QIODevice::WriteOnly);
    }

private:
    QString m_releaseFile;
};
