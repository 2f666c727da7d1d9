#pragma once

#include <QJsonObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QPushButton;

// The QR sign-in panel laid over the login screen's card. start() asks the service for a QR
// record, shows it as a QR code (the record with "platform" 2, encrypted for the phone app) and
// asks for its status every half second on the GUI thread: 1 lays the "scanned" overlay over the
// code, 2 signs in with the record's token and calls loginBlock, 3 ends, 4 lays the "expired"
// overlay, whose button fetches a new code. A failed or malformed answer ends the polling
// quietly. Removed from its card, the panel stops: no answer arriving later draws or asks for
// anything. The record holds the sign-in token: it is never logged.
class NBScanLoginView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kQrSide = 206;
    static constexpr int kPollMs = 500;

    explicit NBScanLoginView(QWidget *parent = nullptr);
    ~NBScanLoginView() override;

    std::function<void()> loginBlock;

    // Fetches a code and starts polling (again, after an expiry: a fresh record).
    void start();
    void otherLoginAction();

    QLabel *titleLab() const { return m_titleLab; }
    QLabel *qrImgView() const { return m_qrImgView; }
    QLabel *tipLab() const { return m_tipLab; }
    QPushButton *otherLoginBtn() const { return m_otherLoginBtn; }

    // The QR record as kept (tests); empty before a code arrived.
    QJsonObject info() const { return m_info.value_or(QJsonObject()); }
    // The last status read, or nothing.
    std::optional<int> lastStatus() const { return m_lastStatus; }
    bool isPolling() const { return m_polling; }
    bool isSigningIn() const { return m_signingIn; }
    // The overlay over the code: nothing, "scanned" or "expired".
    enum class Overlay { None, Scanned, Expired };
    Overlay overlay() const;

    // Building blocks, also used to draw the panel's states without a service.
    void showQrPayload(const QString &payload);
    void showOverlay(Overlay overlay);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void handleQrPayload(const std::optional<QJsonObject> &reply, int generation);
    void pollQrCodeStatus(int generation);
    void handleQrCodeStatus(const std::optional<QJsonObject> &reply, int generation);
    void signInByQrCode();
    void schedulePoll(int generation);

    std::optional<QJsonObject> m_info;
    std::optional<int> m_lastStatus;
    // Each start() begins a new generation; answers of an older one are ignored.
    int m_generation = 0;
    bool m_polling = false;
    bool m_signingIn = false;
    QLabel *m_titleLab = nullptr;
    QLabel *m_qrImgView = nullptr;
    QLabel *m_tipLab = nullptr;
    QPushButton *m_otherLoginBtn = nullptr;
    QPointer<QWidget> m_overlayView;
};
