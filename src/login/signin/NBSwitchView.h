#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

#include <QPushButton>

// The two-segment switch of the account screens (tag 1 e-mail, tag 2 phone). Selecting a
// segment, also the one already selected, gives it the selected look and tells switchBlock.
class NBSwitchView : public QWidget
{
    Q_OBJECT
public:
    explicit NBSwitchView(QWidget *parent = nullptr);

    std::function<void(int tag)> switchBlock;

    QPushButton *firstSideButton() const { return m_firstSideButton; }
    QPushButton *secondSideButton() const { return m_secondSideButton; }
    QPushButton *selectedButton() const { return m_selectedButton; }

    // As a click on the segment with that tag; an unknown tag changes nothing.
    void selectButton(int tag);
    // Titles from other keys (the registration and retrieval screens name their own).
    void setTitles(const QString &first, const QString &second);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QPushButton *makeSegment(int tag, const QString &title, int fontSize);
    static void setSelectedLook(QPushButton *button, bool selected);

    QPushButton *m_firstSideButton = nullptr;
    QPushButton *m_secondSideButton = nullptr;
    QPointer<QPushButton> m_selectedButton;
};
