#pragma once

#include <QWidget>

class NBBaseTextField;
class NBCustomTextField;
class RoundedPanel;

// The account forms' plain one-line entry: a dark strip (RGB 34, 33, 35, radius 20) with a
// borderless field inset 23 px on both sides and centred vertically. The title label is held but
// never laid out (zero size), so a title a form writes into it is kept and not seen. Presses on
// the strip beside the field stop here: they neither focus the field nor reach the view behind.
class NBTextFiledContentView : public QWidget
{
    Q_OBJECT
public:
    explicit NBTextFiledContentView(QWidget *parent = nullptr);

    RoundedPanel *contentView() const { return m_contentView; }
    NBBaseTextField *titleLabel() const { return m_titleLabel; }
    NBCustomTextField *textFiled() const { return m_textFiled; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    // Where the field ends on the right; a row with a button at its end narrows it.
    virtual int fieldRightInset() const { return 23; }

private:
    RoundedPanel *m_contentView = nullptr;
    NBBaseTextField *m_titleLabel = nullptr;
    NBCustomTextField *m_textFiled = nullptr;
};
