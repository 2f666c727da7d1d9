#include "home/NBNewLineBestLocationCell.h"

#include "home/AssetImageView.h"

NBNewLineBestLocationCell::NBNewLineBestLocationCell(QWidget *parent)
    : NBNewLineCell(parent)
{
    m_bestLineView = new AssetImageView(QStringLiteral("line_best"), this);
    resize(width(), kRowHeight);
    layoutParts();
}

void NBNewLineBestLocationCell::layoutParts()
{
    NBNewLineCell::layoutParts();
    if (!m_bestLineView)
        return;
    // 18 below the bar, 27 from the left and 28 from the right.
    m_bestLineView->setGeometry(27, 4 + 48 + 18, qMax(0, width() - 27 - 28), 1);
}
