#pragma once

#include <QColor>
#include <QWidget>

#include <memory>

#include "settings/feedback/FeedbackTextLayout.h"

class QTimer;

// A wrapped text that can be of any length: it is laid out a bounded piece per turn of the event
// loop (a short text at once), and only the lines in view are drawn. It wraps at the width its
// owner gives (setTextWidth, known before the view is shown or sized); its height grows as the
// lines are laid out, and `laidOutHeightChanged` tells the owner, which sizes it. While more of
// the text is still to be laid out, a line with "…" follows the lines so far, so that a reader
// never takes the text for one that ends there. Plain text only.
class FeedbackTextView : public QWidget
{
    Q_OBJECT

public:
    explicit FeedbackTextView(QWidget *parent = nullptr);
    ~FeedbackTextView() override;

    void setText(const QString &text);
    const QString &text() const { return m_text; }
    void setTextWidth(int width);
    int textWidth() const { return m_textWidth; }
    void setTextColour(const QColor &colour);
    // The first `length` characters in another colour (a heading over the text).
    void setLead(int length, const QColor &colour);

    bool isLaidOut() const;
    // The height the view needs now, in whole pixels: the lines laid out so far, and the line
    // that says more follows while it does.
    int laidOutHeight() const;
    int lineCount() const;
    // The "…" line is shown below the lines: the layout goes on.
    bool showsContinuation() const;
    // The height of that line.
    int continuationHeight() const;
    static QString continuationMark();

    // Laid out at once: texts of this length show in the turn that sets them.
    static constexpr int kFirstStep = 8192;
    // Laid out in each later turn.
    static constexpr int kStep = 4096;

Q_SIGNALS:
    void laidOutHeightChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void restartLayout();
    void layOutMore();

    QString m_text;
    int m_textWidth = 0;
    QColor m_colour = Qt::white;
    int m_leadLength = 0;
    QColor m_leadColour;
    std::unique_ptr<FeedbackTextLayout> m_layout;
    QTimer *m_stepTimer = nullptr;
};
