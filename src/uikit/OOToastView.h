#pragma once

#include <QColor>
#include <QPointer>
#include <QWidget>

#include <functional>

class QLabel;
class RoundedPanel;

// One toast: a 300 px wide coloured strip with an icon and a message, as tall as the message
// needs (measured at 233 px in 12 px text, plus 31). It slides up from the bottom edge of the
// view that asked for it and goes away on its own; clicks pass through it.
class OOToastView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kWidth = 300;
    static constexpr int kTextWidth = 233;
    static constexpr int kRise = 100;
    // Longer messages are cut with "…".
    static constexpr int kMaxMessageChars = 300;

    explicit OOToastView(QWidget *parent = nullptr);

    RoundedPanel *contentView();
    QLabel *iconImgView();
    QLabel *tipLab();

    // The toast's height for a message: measured height + 31.
    static int heightForMessage(const QString &message);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    RoundedPanel *m_contentView = nullptr;
    QLabel *m_iconImgView = nullptr;
    QLabel *m_tipLab = nullptr;
};

// Shows a toast in host: starts at the bottom edge, rises 100 px in 0.25 s, is deleted 0.5 s
// later. The completion runs when the rise ends. Toasts shown quickly one after another overlap.
// Returns the toast (null without a host).
OOToastView *showToast(QWidget *host, const QString &message, const QString &iconName,
                       const QColor &background, const QColor &textColour,
                       std::function<void()> completion = {});
OOToastView *showErrorToast(QWidget *host, const QString &message);
OOToastView *showSuccessToast(QWidget *host, const QString &message);
OOToastView *showWarnToast(QWidget *host, const QString &message);
// The localised "NET_TIMEOUT_TIP".
OOToastView *showNetWeakToast(QWidget *host);
