#pragma once

#include <QWidget>

class QLineEdit;

// Nothing in the client creates this yet (the gallery does); kept as the plain account row.
// The simpler account row: one plain field filling the view's height, 23 px in from each side on
// a clear background. The field is made on its first read, so a row nobody asks for holds none.
class NBAccountTextView : public QWidget
{
    Q_OBJECT
public:
    explicit NBAccountTextView(QWidget *parent = nullptr);

    QLineEdit *textField();
    bool hasTextField() const { return m_textField != nullptr; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void layoutField();

    QLineEdit *m_textField = nullptr;
};
