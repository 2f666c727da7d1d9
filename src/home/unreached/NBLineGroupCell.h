#pragma once

#include <QWidget>

#include <functional>

#include "vpn/OOHomeNodeModel.h"

class AssetImageView;
class QLabel;
class QPushButton;

// Only the line page, which nothing in the client opens yet, creates this; kept with that page.
// A group row of the line page: the group's flag, its name with the number of its lines, and an
// arrow that opens ("icn_up") or closes ("icn_down") the group.
class NBLineGroupCell : public QWidget
{
    Q_OBJECT

public:
    explicit NBLineGroupCell(QWidget *parent = nullptr);

    std::function<void(bool open)> hideOrShowBlock;
    bool isSelectedState = false;
    OOHomeNodeModel selectedModel;

    QWidget *contentView() const { return m_contentView; }
    AssetImageView *iconImgeView() const { return m_iconImgeView; }
    QLabel *nameText() const { return m_nameText; }
    QPushButton *onOrOffButton() const { return m_onOrOffButton; }

    void configure(const OOHomeNodeModel &line);
    // The arrow's action: flips the group's open state and tells hideOrShowBlock.
    void click();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QWidget *m_contentView = nullptr;
    AssetImageView *m_iconImgeView = nullptr;
    QLabel *m_nameText = nullptr;
    QPushButton *m_onOrOffButton = nullptr;
};
