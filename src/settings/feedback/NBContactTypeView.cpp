#include "settings/feedback/NBContactTypeView.h"

#include <QLabel>

#include "uikit/NSFontHelper.h"
#include "settings/feedback/NBFeedbackTypeItem.h"
#include "uikit/PlainText.h"

NBContactTypeView::NBContactTypeView(QWidget *parent)
    : QWidget(parent)
    , m_datas(NBFeedbackTypeModel::defaultTypes())
{
    m_titleLab = PlainText::label(QStringLiteral("选择反馈类型"), this);
    m_titleLab->setFont(NSFontHelper::getRegularPingFangFont(10));
    m_titleLab->setStyleSheet(QStringLiteral("color: rgb(179, 183, 190); background: transparent;"));
    for (int i = 0; i < m_datas.size(); ++i) {
        auto *item = new NBFeedbackTypeItem(this);
        item->titleLabel()->setText(m_datas.at(i).name);
        connect(item, &NBFeedbackTypeItem::clicked, this, [this, i] { selectItem(i); });
        m_items << item;
    }
    reloadData();
}

void NBContactTypeView::selectItem(std::optional<int> index)
{
    if (!index || *index < 0 || *index >= m_datas.size())
        return;
    m_kind = *index + 10;
    for (NBFeedbackTypeModel &entry : m_datas)
        entry.mark = entry.kind == m_kind;
    reloadData();
}

void NBContactTypeView::reset()
{
    selectItem(0);
}

void NBContactTypeView::reloadData()
{
    for (int i = 0; i < m_items.size(); ++i)
        m_items.at(i)->setMarked(m_datas.at(i).mark.value_or(false));
}

void NBContactTypeView::resizeEvent(QResizeEvent *)
{
    const int captionHeight = m_titleLab->sizeHint().height();
    m_titleLab->setGeometry(25, 29, width() - 50, captionHeight);
    // Tiles flow left to right, 2 apart, and wrap 3 apart when the row is too narrow.
    const int left = 20;
    const int usable = width() - 40;
    int x = 0;
    int y = 29 + captionHeight + 10;
    for (NBFeedbackTypeItem *item : std::as_const(m_items)) {
        if (x > 0 && x + item->width() > usable) {
            x = 0;
            y += item->height() + 3;
        }
        item->move(left + x, y);
        x += item->width() + 2;
    }
}
