#include "home/unreached/NBLineGroupCell.h"

#include <QLabel>
#include <QPushButton>

#include "uikit/LMViewHelper.h"
#include "uikit/NSFontHelper.h"
#include "uikit/UiImages.h"
#include "home/AssetImageView.h"
#include "home/LineSelectorLook.h"
#include "uikit/PlainText.h"

NBLineGroupCell::NBLineGroupCell(QWidget *parent)
    : QWidget(parent)
{
    m_contentView = new QWidget(this);
    m_contentView->setAutoFillBackground(true);
    QPalette palette = m_contentView->palette();
    palette.setColor(QPalette::Window, QColor(23, 35, 48));
    m_contentView->setPalette(palette);
    m_iconImgeView = new AssetImageView(QStringLiteral("flag"), m_contentView);
    m_iconImgeView->setCornerRadius(10);
    m_nameText = PlainText::label(m_contentView);
    m_nameText->setFont(NSFontHelper::getRegularPingFangFont(12));
    m_onOrOffButton = LMViewHelper::createImageButton(m_contentView, QString(), QSize(12, 12));
    m_onOrOffButton->setCheckable(true);
    QIcon icon;
    icon.addFile(UiImages::path(QStringLiteral("icn_down")), QSize(), QIcon::Normal, QIcon::Off);
    icon.addFile(UiImages::path(QStringLiteral("icn_up")), QSize(), QIcon::Normal, QIcon::On);
    m_onOrOffButton->setIcon(icon);
    // Connected once; the arrow's own toggling is undone, as click() decides the state.
    connect(m_onOrOffButton, &QPushButton::clicked, this, [this] { click(); });
    resize(320, 50);
}

void NBLineGroupCell::configure(const OOHomeNodeModel &line)
{
    selectedModel = line;
    isSelectedState = line.isSelectedState;
    const QUrl flag = LineSelectorLook::flagAddress(line.abbrUrl);
    if (flag.isValid())
        m_iconImgeView->loadUrl(flag, QStringLiteral("flag"));
    m_nameText->setText(QStringLiteral("%1 (%2)").arg(line.name).arg(line.childLineNum.value_or(0)));
    QPalette palette = m_nameText->palette();
    palette.setColor(QPalette::WindowText, line.isMark ? QColor(90, 177, 234) : QColor(Qt::white));
    m_nameText->setPalette(palette);
    m_onOrOffButton->setChecked(line.isSelectedState);
}

void NBLineGroupCell::click()
{
    selectedModel.isSelectedState = !selectedModel.isSelectedState;
    isSelectedState = selectedModel.isSelectedState;
    m_onOrOffButton->setChecked(isSelectedState);
    if (hideOrShowBlock)
        hideOrShowBlock(isSelectedState);
}

void NBLineGroupCell::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_contentView->setGeometry(0, 1, width(), height() - 2);
    const int h = m_contentView->height();
    m_iconImgeView->setGeometry(16, (h - 20) / 2, 20, 20);
    m_nameText->setGeometry(44, 0, width() - 44 - 40, h);
    m_onOrOffButton->setGeometry(width() - 16 - 20, (h - 20) / 2, 20, 20);
}
