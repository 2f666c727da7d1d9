#pragma once

#include <QJsonObject>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

// An earlier connect road on the legacy endpoints: it looks up whether the user is at home or
// abroad, records that in the shared app-group defaults, and asks for a connection to a node.
// No screen uses it; once created it still answers "VPNStop" by restoring the proxy settings.
class HLLVPNViewModel : public QObject
{
    Q_OBJECT
public:
    // The failure handed to `connect`'s completion: domain "101", code 101, and the failed
    // request's response (empty when there was none).
    struct Failure
    {
        QString domain;
        int code = 0;
        QJsonObject userInfo;
    };
    using Completion = std::function<void(const std::optional<QJsonObject> &result,
                                          const std::optional<Failure> &error)>;

    static constexpr int kLocationEndpoint = 9;  // "/api/client/v2/commons/location"
    static constexpr int kConnectEndpoint = 3;   // "/api/client/v2/nodes/connect"

    static HLLVPNViewModel &shared();
    // Drops the shared model, so the next shared() makes a new one (as in a fresh process).
    static void resetForTesting();

    // The block gets the location response; it is not called when the request failed.
    void getIPLocation(std::function<void(const QJsonObject &response)> block);
    // Looks the location up, records it, then asks for the node. The completion hears the
    // connect's answer (its data, or the 101 failure). A failed lookup ends the road without a
    // request and without an answer: nothing calls this road, and nothing may wait on it.
    void connect(std::optional<qint64> nodeId, Completion completion);
    // Does nothing: this road never started an engine.
    void startVPNWith(std::optional<qint64> nodeId, const QJsonObject &param);
    void stopVPN();

    Completion completion;

private:
    HLLVPNViewModel();
    ~HLLVPNViewModel() override;
};
