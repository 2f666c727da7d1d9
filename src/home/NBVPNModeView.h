#pragma once

#include <QPointer>
#include <QWidget>

class AssetImageView;
class QLabel;

// The mode badge of the line selector: "智能模式" with the "AI" icon or "全局模式" with "all" on the
// "vpnmode" background. It takes no clicks itself: a press on it belongs to the bar around it,
// which opens the line popup.
class NBVPNModeView : public QWidget
{
    Q_OBJECT

public:
    explicit NBVPNModeView(QWidget *parent = nullptr);

    AssetImageView *iconView() const { return m_iconView; }
    QLabel *nameText() const { return m_nameText; }
    AssetImageView *flagView() const { return m_flagView; }
    QWidget *maskView() const { return m_maskView; }

    // Shows one mode and sends that mode's analytics event.
    void update(bool global);
    bool isGlobal() const { return m_global; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void layoutParts();

    AssetImageView *m_iconView = nullptr;
    QLabel *m_nameText = nullptr;
    AssetImageView *m_flagView = nullptr;
    QWidget *m_maskView = nullptr;
    bool m_global = false;
};
