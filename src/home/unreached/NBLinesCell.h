#pragma once

#include <QWidget>

#include <functional>

#include "vpn/OOHomeNodeModel.h"

class QLabel;
class QPushButton;

// Only the line page, which nothing in the client opens yet, creates this; kept with that page.
// A line row of the line page: name, measured latency in its colour band, an optional mark and a
// check button.
class NBLinesCell : public QWidget
{
    Q_OBJECT

public:
    explicit NBLinesCell(QWidget *parent = nullptr);

    OOHomeNodeModel selectedModel;
    OOHomeNodeModel currentModel;
    std::function<void()> clickBlock;

    QWidget *contentView() const { return m_contentView; }
    QLabel *nameText() const { return m_nameText; }
    QPushButton *onOrOffButton() const { return m_onOrOffButton; }
    QLabel *timeText() const { return m_timeText; }
    QLabel *markText() const { return m_markText; }

    void configure(const OOHomeNodeModel &line);
    // The latency's colour: green to 99 ms, yellow to 199 ms, red from 200 ms.
    static QColor latencyColour(int ping);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void layoutTexts();
    QWidget *m_contentView = nullptr;
    QLabel *m_nameText = nullptr;
    QPushButton *m_onOrOffButton = nullptr;
    QLabel *m_timeText = nullptr;
    QLabel *m_markText = nullptr;
    // The whole mark; the label shows as much of it as the row has room for.
    QString m_mark;
};
