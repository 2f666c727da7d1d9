#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

class NBCoutryCodeView;
class NBCustomTextField;
class QPushButton;
class RoundedPanel;

// The phone forms' compound field: the calling-code button ("+86" until a country is chosen,
// an arrow after it), a thin separator and a digits-only number field. The button opens a new
// country pop-up over the window's content (by the popups' one road, NBBaseView::show), right
// under itself; choosing a country puts its code on the button and tells selectCoutryBlock.
// Forms read code() (the button's title) and textFiled().
class NBRegCodeView : public QWidget
{
    Q_OBJECT
public:
    explicit NBRegCodeView(QWidget *parent = nullptr);
    ~NBRegCodeView() override;

    std::function<void(const QString &)> selectCoutryBlock;
    // True while the pop-up is shown.
    bool isSelected() const { return m_isSelected; }

    RoundedPanel *contentView() const { return m_contentView; }
    QWidget *lineView() const { return m_lineView; }
    QPushButton *onOrOffButton() const { return m_onOrOffButton; }
    NBCustomTextField *textFiled() const { return m_textFiled; }
    // The pop-up while it is shown; nullptr while the field is closed.
    NBCoutryCodeView *regCodeView() const;

    // The calling code on the button ("+86").
    QString code() const;
    // The button's action: opens the pop-up, or closes it when it is open.
    void click();
    void applyChosenCode(const QString &text);
    // Removes the pop-up (forms call it when they disappear).
    void dismissPopup();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void setButtonOff();
    void layoutSubviews();

    bool m_isSelected = false;
    RoundedPanel *m_contentView = nullptr;
    QWidget *m_lineView = nullptr;
    QPushButton *m_onOrOffButton = nullptr;
    NBCustomTextField *m_textFiled = nullptr;
    QPointer<NBCoutryCodeView> m_regCodeView;
};
