#pragma once

#include "home/NBNewLineCell.h"

// The cell of the first row: the same bar with a thin separator line under it.
class NBNewLineBestLocationCell : public NBNewLineCell
{
    Q_OBJECT

public:
    static constexpr int kRowHeight = 84;

    explicit NBNewLineBestLocationCell(QWidget *parent = nullptr);

    AssetImageView *bestLineView() const { return m_bestLineView; }

protected:
    void layoutParts() override;

private:
    AssetImageView *m_bestLineView = nullptr;
};
