#pragma once

#include <QWidget>

#include <optional>

#include "settings/more/NBMineModel.h"

class QLabel;

// A row of the more page: icon, title, subtitle, red dot and arrow. A left press sends
// `activated` at once; the row shows exactly what the last configure gave it.
class NBMineItemView : public QWidget
{
    Q_OBJECT
public:
    explicit NBMineItemView(QWidget *parent = nullptr);

    std::optional<qint64> type() const { return m_type; }
    virtual void configure(const NBMineModel &model);

    QLabel *iconImgView() const { return m_iconImgView; }
    QLabel *redDot() const { return m_redDot; }
    QLabel *titleLab() const { return m_titleLab; }
    QLabel *subTitleLab() const { return m_subTitleLab; }
    QLabel *arrowImgView() const { return m_arrowImgView; }
    QWidget *lineView() const { return m_lineView; }

Q_SIGNALS:
    void activated(NBMineItemView *row);

protected:
    void resizeEvent(QResizeEvent *event) override;
    // Where the subtitle ends, measured from the trailing edge.
    virtual int subTitleTrailingInset() const { return 25 + 16 + 35; }
    void applyCommon(const NBMineModel &model);
    void setSubTitleColour(const QColor &colour);
    void layoutRow();

    std::optional<qint64> m_type;

private:
    QLabel *m_iconImgView = nullptr;
    QLabel *m_redDot = nullptr;
    QLabel *m_titleLab = nullptr;
    QLabel *m_subTitleLab = nullptr;
    QLabel *m_arrowImgView = nullptr;
    QWidget *m_lineView = nullptr;
};
