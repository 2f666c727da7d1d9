#pragma once

#include <QWidget>

class QLabel;
class RoundedPanel;

// Nothing in the client creates this yet (the gallery does); kept as the one-text setting row.
// A list row with one text in a dark panel: the panel 16 in from the sides and 5 from top and
// bottom, radius 10; the text 16 into the panel, centred vertically.
class NBSettingCell : public QWidget
{
    Q_OBJECT
public:
    explicit NBSettingCell(QWidget *parent = nullptr);

    RoundedPanel *contentView() const { return m_contentView; }
    QLabel *nameText() const { return m_nameText; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void layoutParts();

    RoundedPanel *m_contentView = nullptr;
    QLabel *m_nameText = nullptr;
};
