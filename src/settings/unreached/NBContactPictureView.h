#pragma once

#include <QImage>
#include <QList>
#include <QWidget>

#include <functional>

class NBPictUreItem;
class QLabel;

// Nothing in the client creates this yet (the gallery does); kept for a form with several pictures.
// A grid of up to three picture tiles ending in an "add" tile, for a form that takes several
// pictures. The add tile is always the last entry and is never removed.
class NBContactPictureView : public QWidget
{
    Q_OBJECT

public:
    explicit NBContactPictureView(QWidget *parent = nullptr);

    // Called with the tile's index for the add tile when it is selected, and for any tile whose
    // picture is clicked.
    std::function<void(int index)> actionBlock;
    std::function<void(int index)> deleteBlock;

    // The pictures and, last, the add tile's image.
    QList<QImage> imageArray() const;
    QList<QImage> pictures() const { return m_pictures; }
    // Tiles shown: the entries, at most three.
    int itemCount() const;
    // The last entry is the add tile: choosing it asks for a picture; other tiles do nothing.
    void selectItem(int index);
    // A click on a tile's picture (or the add image): the action, whichever tile it is.
    void iconAction(int index);
    void appendImage(const QImage &image);
    // Removes a picture; the add tile stays whatever the index.
    bool removeItem(int index);
    void clear();

    QLabel *titleLabel() const { return m_titleLabel; }
    QList<NBPictUreItem *> tiles() const { return m_tiles; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void reloadData();

    QList<QImage> m_pictures;
    QImage m_addImage;
    QLabel *m_titleLabel = nullptr;
    QWidget *m_collectionView = nullptr;
    QList<NBPictUreItem *> m_tiles;
};
