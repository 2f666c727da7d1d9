#pragma once

#include <QTextBrowser>

// Nothing in the client creates this yet; it is kept as the kit's rich text with links.
// A read-only rich text with links (the privacy line, the about page): tracks whether the
// pointer is inside and shows the pointing hand then. Links are reported (anchorClicked), never
// opened by the view itself.
class NBTrackTextView : public QTextBrowser
{
    Q_OBJECT
public:
    explicit NBTrackTextView(QWidget *parent = nullptr);

    bool isMouseInside() const { return m_isMouseInside; }

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    bool m_isMouseInside = false;
};
