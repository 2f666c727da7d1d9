#pragma once

#include <QWidget>

#include <functional>
#include <optional>

class QPushButton;
class RoundedPanel;
class markConnerView;

// The two-button mode switch of the line popup: "智能模式" (tag 10) and "全局模式" (tag 11). The
// pressed button takes the light look; once switchBlock is set, a press also stores tag - 10
// under "kProxyMode" and calls the block with it. A press of the button already selected counts
// as a press too.
class NBLineSwitchView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kSmartTag = 10;
    static constexpr int kGlobalTag = 11;

    explicit NBLineSwitchView(QWidget *parent = nullptr);

    std::function<void(int index)> switchBlock;
    std::optional<bool> isGlobel;

    QPushButton *selectedButton() const { return m_selectedButton; }
    RoundedPanel *contentView() const { return m_contentView; }
    QPushButton *firstSideButton() const { return m_firstSideButton; }
    QPushButton *secondSideButton() const { return m_secondSideButton; }
    markConnerView *markView() const { return m_markView; }

    void switchAction(QPushButton *sender);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    static void styleButton(QPushButton *button, bool selected);

    QPushButton *m_selectedButton = nullptr;
    RoundedPanel *m_contentView = nullptr;
    QPushButton *m_firstSideButton = nullptr;
    QPushButton *m_secondSideButton = nullptr;
    markConnerView *m_markView = nullptr;
};
