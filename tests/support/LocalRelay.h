#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>
#include <string>

// The far end of the relaying stand-in engine ("standin-sslocal-relay"): Debian's ss-server on a
// port of loopback, ended with the test program however that ends. The engine itself runs
// Debian's ss-local on the client's fixed listener, 127.0.0.1:9999, which a program asks
// for through unavailable() before it starts one (OwnNetwork: the program then has a network of
// its own).
//
// The password goes in files, as the demo hands it over: command lines are public.
class LocalRelay
{
public:
    LocalRelay();
    ~LocalRelay();
    LocalRelay(const LocalRelay &) = delete;
    LocalRelay &operator=(const LocalRelay &) = delete;

    // Why a relayed engine, listening on 127.0.0.1:`listener`, cannot run in this program:
    // shadowsocks-libev missing, or the listener not the program's (OwnNetwork); nothing when it can.
    static std::optional<std::string> unavailable(quint16 listener);

    // Starts ss-server, with `extra` arguments, and waits until it takes connections; false when
    // it could not.
    bool start(const QStringList &extra = {});

    quint16 port() const { return m_port; }
    static QString password();
    static QString method();
    // The scenario file that hands the stand-in engine this relay (its "--scenario").
    QString scenarioFile() const;

private:
    QTemporaryDir m_folder;
    QProcess m_process;
    quint16 m_port = 0;
};
