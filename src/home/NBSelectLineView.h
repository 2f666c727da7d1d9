#pragma once

#include <QWidget>

#include <functional>
#include <optional>

#include "vpn/OOHomeNodeModel.h"

class AssetImageView;
class NBVPNModeView;
class QLabel;

// The bar under the connect area that shows the chosen line: its flag (or the mode icon while
// there is none), its name and the mode badge. A click anywhere on it, badge included, calls
// tapActionBlock (a press that becomes a drag or ends off the bar is none); the home screen opens
// the line popup there. The bar keeps no line of its own: it shows what the last update() was
// given.
class NBSelectLineView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kWidth = 340;
    static constexpr int kHeight = 91;

    explicit NBSelectLineView(QWidget *parent = nullptr);

    // Replaced, never added to: one click calls one block.
    std::function<void()> tapActionBlock;

    AssetImageView *maskView() const { return m_maskView; }
    AssetImageView *lineFlagView() const { return m_lineFlagView; }
    QLabel *nameText() const { return m_nameText; }
    NBVPNModeView *vpnModeView() const { return m_vpnModeView; }
    AssetImageView *lineArrowView() const { return m_lineArrowView; }

    void update(const std::optional<OOHomeNodeModel> &line);
    void tapClickAction();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void layoutParts();

    AssetImageView *m_maskView = nullptr;
    AssetImageView *m_lineFlagView = nullptr;
    QLabel *m_nameText = nullptr;
    NBVPNModeView *m_vpnModeView = nullptr;
    AssetImageView *m_lineArrowView = nullptr;
};
