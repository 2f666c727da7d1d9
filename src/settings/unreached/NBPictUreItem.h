#pragma once

#include <QWidget>

#include <functional>

class NBClickImageView;

// Only the picture grid, which nothing in the client creates yet, makes this; kept with the grid.
// One tile of the picture grid: a dark square, the picture (or the add image) and a delete mark
// in its top right corner.
class NBPictUreItem : public QWidget
{
    Q_OBJECT

public:
    explicit NBPictUreItem(QWidget *parent = nullptr);

    std::function<void()> deleteActionBlock;
    std::function<void()> clickActionBlock;

    QWidget *backgroudView() const { return m_backgroudView; }
    NBClickImageView *iconImageView() const { return m_iconImageView; }
    NBClickImageView *deleteImageView() const { return m_deleteImageView; }

    static QColor tileColor() { return QColor(12, 26, 38); }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QWidget *m_backgroudView = nullptr;
    NBClickImageView *m_iconImageView = nullptr;
    NBClickImageView *m_deleteImageView = nullptr;
};
