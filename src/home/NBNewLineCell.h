#pragma once

#include <QWidget>

#include <functional>
#include <optional>

#include "vpn/OOHomeNodeModel.h"

class AssetImageView;
class NBDisableButton;
class QLabel;

// One row of the line tables: a rounded bar ("lineoff", "lineon" when chosen) with the region
// flag, the line's name, an optional mark and, at the right, the check mark or the membership
// badge. The rows of a table are recycled as it scrolls, so configure() sets everything a line
// decides and leaves only what the line leaves open (an absent mark) as it was.
class NBNewLineCell : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kRowHeight = 56;
    static constexpr int kCheckSize = 12;

    explicit NBNewLineCell(QWidget *parent = nullptr);

    OOHomeNodeModel currentModel;
    // Set by the owning table; the cell itself never calls it.
    std::function<void()> clickBlock;

    AssetImageView *contentView() const { return m_contentView; }
    AssetImageView *iconView() const { return m_iconView; }
    QLabel *nameText() const { return m_nameText; }
    NBDisableButton *onOrOffButton() const { return m_onOrOffButton; }
    AssetImageView *svipImgView() const { return m_svipImgView; }
    QLabel *markText() const { return m_markText; }

    // Reads the current user's level from the user table.
    void configure(const OOHomeNodeModel &line);
    // With the level read once by the table for all its rows.
    void configure(const OOHomeNodeModel &line, std::optional<int> userLevel);
    // Flips the sender's checked state (on becomes off, anything else on).
    static void click(NBDisableButton *sender);

protected:
    void resizeEvent(QResizeEvent *event) override;
    virtual void layoutParts();

private:
    AssetImageView *m_contentView = nullptr;
    AssetImageView *m_iconView = nullptr;
    QLabel *m_nameText = nullptr;
    NBDisableButton *m_onOrOffButton = nullptr;
    AssetImageView *m_svipImgView = nullptr;
    QLabel *m_markText = nullptr;
    // The whole mark; the label shows as much of it as the row has room for.
    QString m_mark;
};
