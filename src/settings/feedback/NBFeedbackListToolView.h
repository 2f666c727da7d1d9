#pragma once

#include <QWidget>

class QPushButton;

// The bar under the feedback list with its "反馈问题" button.
class NBFeedbackListToolView : public QWidget
{
    Q_OBJECT

public:
    explicit NBFeedbackListToolView(QWidget *parent = nullptr);
    QPushButton *confirmBtn() const { return m_confirmBtn; }
    void feedbackAction();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QPushButton *m_confirmBtn = nullptr;
};
