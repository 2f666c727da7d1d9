#pragma once

#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

#include "uikit/OverlayWidget.h"
#include "login/form/OOCountyCodeListModel.h"

class QLabel;
class QScrollArea;
class RoundedPanel;

// The country pop-up of the calling-code field: a transparent layer over the whole of the window's
// content (800 x 500), shown by NBBaseView::show, with a 254 px list box whose top sits at
// contentTop and whose middle sits at contentCenterX (never left of the window's edge), at most
// 317 px high and ending at least 10 px above the bottom. A row picked reports "+NN" 0.25 s later
// and closes the pop-up; a press anywhere outside the list closes it. The field makes a new one
// at each opening; closed, it leaves the window and is deleted.
class NBCoutryCodeView : public OverlayWidget
{
    Q_OBJECT
public:
    static constexpr int kListWidth = 254;
    static constexpr int kMaxListHeight = 317;

    explicit NBCoutryCodeView(QWidget *parent = nullptr);

    qreal contentTop = 113;
    qreal contentCenterX = 400;
    std::function<void(const QString &)> didSelectBlock;
    std::function<void()> didDismissSuccessBlock;

    // Closes it (once) and tells didDismissSuccessBlock.
    void dismiss();
    bool isShown() const { return isVisible(); }

    const OOCountyCodeListModel &codeModel();
    RoundedPanel *contentView() const { return m_contentView; }
    QRect listBoxGeometry() const;
    // The row a press picked (delayed by 0.25 s, as the list shows it pressed first).
    void selectRow(int row);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildRows();
    void placeListBox();

    std::optional<OOCountyCodeListModel> m_codeModel;
    RoundedPanel *m_contentView = nullptr;
    QLabel *m_iconImageView = nullptr;
    QScrollArea *m_scrollView = nullptr;
};
