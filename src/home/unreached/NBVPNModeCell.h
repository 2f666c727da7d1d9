#pragma once

#include <QWidget>

#include "home/unreached/NBVPNModeItem.h"

class AssetImageView;
class NBDisableButton;
class QLabel;

// Only the mode list, which nothing in the client opens, creates this; kept with it.
// One row of the mode list: the mode's icon, title and explanation, and a round mark that is on
// for the chosen mode. The chosen row has a dark background with a pink hairline border.
class NBVPNModeCell : public QWidget
{
    Q_OBJECT

public:
    explicit NBVPNModeCell(QWidget *parent = nullptr);

    AssetImageView *iconView() const { return m_iconView; }
    QLabel *titleLabel() const { return m_titleLabel; }
    QLabel *codeLab() const { return m_codeLab; }
    NBDisableButton *onOrOffButton() const { return m_onOrOffButton; }
    QWidget *contentView() const { return m_contentView; }

    void configure(const NBVPNModeItem &item);
    bool isShownSelected() const { return m_selected; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QWidget *m_contentView = nullptr;
    AssetImageView *m_iconView = nullptr;
    QLabel *m_titleLabel = nullptr;
    QLabel *m_codeLab = nullptr;
    NBDisableButton *m_onOrOffButton = nullptr;
    bool m_selected = false;
};
