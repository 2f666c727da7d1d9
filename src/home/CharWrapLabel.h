#pragma once

#include <QLabel>

// A plain-text label that breaks its lines at any character, not only between words, so a long
// name without blanks goes on to the next line instead of being cut at the right edge.
class CharWrapLabel : public QLabel
{
    Q_OBJECT
public:
    explicit CharWrapLabel(const QString &text, QWidget *parent = nullptr);

    // The lines the text is broken into at `width`.
    QStringList lines(int width) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QTextOption textOption() const;
};
