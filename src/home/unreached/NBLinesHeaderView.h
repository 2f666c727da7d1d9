#pragma once

#include <QList>
#include <QStringList>
#include <QWidget>

class AssetImageView;
class QPushButton;

// Only the line page, which nothing in the client opens yet, creates this; kept with that page.
// The line page's header: an "all" button and one button per group key, with a small indicator
// under the button last pressed. A press asks the page to show all lines or the groups' lines.
class NBLinesHeaderView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kHeight = 50;

    explicit NBLinesHeaderView(QWidget *parent = nullptr);

    QList<QPushButton *> btns;

    QWidget *contentView() const { return m_contentView; }
    QPushButton *allBtn() const { return m_allBtn; }
    AssetImageView *lineImgView() const { return m_lineImgView; }

    // One button per key, from x 60 on, 10 apart. Buttons are reused across calls with their
    // titles set anew; buttons beyond the keys are hidden.
    void setItems(const QStringList &keys);
    void moveIndicator(QPushButton *button);
    void didClickAction(QPushButton *button);

    // Presses handled, for tests: one per click however often setItems ran.
    int handledClicks() const { return m_handledClicks; }

private:
    QWidget *m_contentView = nullptr;
    QPushButton *m_allBtn = nullptr;
    AssetImageView *m_lineImgView = nullptr;
    int m_handledClicks = 0;
};
