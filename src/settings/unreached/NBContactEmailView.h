#pragma once

#include <QWidget>

#include <functional>

class NBCustomTextField;
class QLabel;
class QPushButton;
class RoundedPanel;

// Nothing in the client creates this yet (the gallery does); kept for a form with a contact row.
// A contact field with its own "提交" button, for a form that asks the contact in a row of its own.
class NBContactEmailView : public QWidget
{
    Q_OBJECT

public:
    explicit NBContactEmailView(QWidget *parent = nullptr);

    std::function<void()> actionBlock;

    QLabel *titleLab() const { return m_titleLab; }
    RoundedPanel *textContentView() const { return m_textContentView; }
    NBCustomTextField *textFiled() const { return m_textFiled; }
    QPushButton *signUpButton() const { return m_signUpButton; }
    void sendAction();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QLabel *m_titleLab = nullptr;
    RoundedPanel *m_textContentView = nullptr;
    NBCustomTextField *m_textFiled = nullptr;
    QPushButton *m_signUpButton = nullptr;
};
