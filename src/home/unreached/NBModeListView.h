#pragma once

#include <QList>

#include <functional>
#include <optional>

#include "uikit/OverlayWidget.h"
#include "home/unreached/NBVPNModeItem.h"

class AssetImageView;
class NBVPNModeCell;
class NBVPNModeView;
class QVBoxLayout;

// Nothing in the client opens this: the mode badge (NBVPNModeView) takes no clicks, and a press on
// the line selector opens the line popup (NBHomeLineListView), which has its own mode choice.
// The mode list: a small box with the two modes over a darkened window. Choosing a row stores its
// type under "kProxyMode", tells didSelectBlock and closes; it neither reconnects nor touches a
// running connection (that keeps the mode it was started with). A click outside the rows closes
// the list a moment later.
class NBModeListView : public OverlayWidget
{
    Q_OBJECT

public:
    explicit NBModeListView(QWidget *parent = nullptr);

    // Opens the list over the window in use for the badge; a choice there shows on the badge.
    // Returns the list, or null when no window is in use.
    static NBModeListView *showForBadge(NBVPNModeView &badge);

    std::function<void(int type)> didSelectBlock;
    std::function<void()> didDismissSuccessBlock;
    std::optional<NBVPNModeItem> selectModel;
    const QList<NBVPNModeItem> &datas() const { return m_datas; }

    QWidget *control() const { return m_control; }
    QWidget *contentView() const { return m_contentView; }
    QWidget *bgView() const { return m_bgView; }
    AssetImageView *iconImageView() const { return m_iconImageView; }
    NBVPNModeCell *cellAt(int row) const;

    // Reads "kProxyMode" again and shows the two rows.
    void loadModes();
    void dismiss();
    // The table's question whether the row may be selected; a yes has chosen it.
    bool select(int row);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void reloadRows();
    int rowAt(const QPoint &pos) const;

    QList<NBVPNModeItem> m_datas;
    QWidget *m_control = nullptr;
    QWidget *m_bgView = nullptr;
    QWidget *m_contentView = nullptr;
    AssetImageView *m_iconImageView = nullptr;
    QVBoxLayout *m_rows = nullptr;
    QList<NBVPNModeCell *> m_cells;
    bool m_dismissing = false;
};
