#pragma once

#include "uikit/RoundedPanel.h"

class QLabel;

// The mode explanation box of the line popup: what smart and global mode do.
class changeModeView : public RoundedPanel
{
    Q_OBJECT

public:
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 171;

    explicit changeModeView(QWidget *parent = nullptr);
    QLabel *titleText() const { return m_titleText; }
    QLabel *markText() const { return m_markText; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QLabel *m_titleText = nullptr;
    QLabel *m_markText = nullptr;
};
