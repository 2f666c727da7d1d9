#pragma once

#include <QWidget>

class QLabel;

// One row of the country pop-up, 50 px high: the English name at the left (31 px in, at most
// 140 px, cut with an ellipsis at the end) and the calling code at the right (36 px in), on
// alternating dark backgrounds. A click picks the row.
class NBCountryCodeCell : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kHeight = 50;
    NBCountryCodeCell(int row, const QString &name, const QString &codeText, QWidget *parent = nullptr);

    QLabel *titleLabel() const { return m_titleLabel; }
    QLabel *codeLab() const { return m_codeLab; }
    int row() const { return m_row; }

Q_SIGNALS:
    void clicked(int row);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    int m_row = 0;
    QString m_fullName;
    QLabel *m_titleLabel = nullptr;
    QLabel *m_codeLab = nullptr;
};
