#include "login/form/NBCoutryCodeView.h"

#include <QLabel>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "uikit/RoundedPanel.h"
#include "uikit/UiImages.h"
#include "uikit/UiTiming.h"
#include "login/form/NBCountryCodeCell.h"

NBCoutryCodeView::NBCoutryCodeView(QWidget *parent)
    : OverlayWidget(parent)
{
    m_contentView = new RoundedPanel(Qt::transparent, 21, this);
    m_scrollView = new QScrollArea(m_contentView);
    m_scrollView->setFrameShape(QFrame::NoFrame);
    m_scrollView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollView->setWidgetResizable(true);
    m_scrollView->setStyleSheet(QStringLiteral("QScrollArea, QScrollArea > QWidget > QWidget { background: rgb(20, 20, 33); border: none; }"
                                               "QScrollBar:vertical { width: 6px; background: transparent; }"
                                               "QScrollBar::handle:vertical { background: rgb(70, 68, 73); border-radius: 3px; }"
                                               "QScrollBar::add-line, QScrollBar::sub-line { height: 0; }"));
    m_iconImageView = new QLabel(m_contentView);
    m_iconImageView->setPixmap(UiImages::pixmap(QStringLiteral("popup_up_arrow"), QSize(17, 15)));
    m_iconImageView->resize(17, 15);
    buildRows();
    placeListBox();
}

const OOCountyCodeListModel &NBCoutryCodeView::codeModel()
{
    if (!m_codeModel)
        m_codeModel = OOCountyCodeListModel::loadBundled();
    return *m_codeModel;
}

void NBCoutryCodeView::buildRows()
{
    auto *list = new QWidget;
    auto *layout = new QVBoxLayout(list);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const QList<OOCountyCodeModel> &countries = codeModel().countryList;
    for (int row = 0; row < countries.size(); ++row) {
        auto *cell = new NBCountryCodeCell(row, countries.at(row).en, countries.at(row).codeText(), list);
        connect(cell, &NBCountryCodeCell::clicked, this, &NBCoutryCodeView::selectRow);
        layout->addWidget(cell);
    }
    layout->addStretch(1);
    m_scrollView->setWidget(list);
}

QRect NBCoutryCodeView::listBoxGeometry() const
{
    const int left = int(qMax<qreal>(contentCenterX - kListWidth / 2.0, 0));
    const int top = int(contentTop);
    // As tall as the rows need, at most 317, ending at least 10 above the bottom.
    const int rows = m_codeModel ? int(m_codeModel->countryList.size()) : 0;
    const int wanted = qMin(kMaxListHeight, 4 + rows * NBCountryCodeCell::kHeight);
    const int room = height() - 10 - top;
    return QRect(left, top, kListWidth, qMax(0, qMin(wanted, room)));
}

void NBCoutryCodeView::placeListBox()
{
    const QRect box = listBoxGeometry();
    m_contentView->setGeometry(box);
    m_scrollView->setGeometry(0, 4, box.width(), qMax(0, box.height() - 4));
    m_iconImageView->move((box.width() - 17) / 2, 0);
    m_iconImageView->raise();
}

void NBCoutryCodeView::resizeEvent(QResizeEvent *event)
{
    OverlayWidget::resizeEvent(event);
    placeListBox();
}

void NBCoutryCodeView::dismiss()
{
    if (isClosing())
        return;
    closeOverlay();
    if (didDismissSuccessBlock)
        didDismissSuccessBlock();
}

void NBCoutryCodeView::selectRow(int row)
{
    if (!didSelectBlock)
        return;
    const auto choose = didSelectBlock;
    QPointer<NBCoutryCodeView> self(this);
    UiTiming::singleShot(250, this, [self, choose, row] {
        // The pop-up holds the list; gone within the delay, the choice goes with it.
        if (!self)
            return;
        const QList<OOCountyCodeModel> &countries = self->codeModel().countryList;
        if (row < 0 || row >= countries.size())
            return;
        choose(countries.at(row).codeText());
        if (self)
            self->dismiss();
    });
}

void NBCoutryCodeView::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    if (m_contentView->geometry().contains(event->position().toPoint()))
        return;
    // A press outside the list closes the pop-up, like the transparent backdrop's own action.
    dismiss();
}
