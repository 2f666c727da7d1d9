#pragma once

#include <QWidget>

class QLabel;

// The closing line of a finished or adopted feedback, centred in its row.
class NBFeedbackFooter : public QWidget
{
    Q_OBJECT

public:
    explicit NBFeedbackFooter(QWidget *parent = nullptr);
    QLabel *textField() const { return m_textField; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QLabel *m_textField = nullptr;
};
