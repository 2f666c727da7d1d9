#pragma once

#include <QWidget>

class NBCustomTextField;
class QLabel;
class QPushButton;
class RoundedPanel;

// The password row: a dark rounded box with a field and an eye that shows or hides the text.
// One field whose echo mode the eye switches: both field accessors return it, so the forms that
// set placeholders and tags "on both fields" and read secTextFiled() keep working, and the two
// can never hold different texts.
class NBSecureTextView : public QWidget
{
    Q_OBJECT
public:
    explicit NBSecureTextView(QWidget *parent = nullptr);

    RoundedPanel *contentView();
    // 12 px, RGB (191, 191, 191), "Sign Up"; laid out by nobody (as in the program: zero size).
    QLabel *titleLabel();
    NBCustomTextField *secTextFiled();
    NBCustomTextField *textFiled();
    // 14 x 11 toggle: "yanjing-biyan" off (hidden), "yanjing" on (shown).
    QPushButton *secrityButton();

    bool isTextShown() const;
    // From the eye: on shows the text, off hides it.
    void switchAction();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    RoundedPanel *m_contentView = nullptr;
    QLabel *m_titleLabel = nullptr;
    NBCustomTextField *m_field = nullptr;
    QPushButton *m_secrityButton = nullptr;
};
