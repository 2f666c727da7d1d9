#include "app/OONoNetworkPopupView.h"

#include <QLabel>
#include <QMouseEvent>

#include "app/OONoNetworkStepView.h"
#include "app/OONoNetworkTipView.h"
#include "app/SystemSettingsOpener.h"
#include "uikit/WindowInUse.h"
#include "common/Localization.h"

QPointer<OONoNetworkPopupView> OONoNetworkPopupView::s_current;

namespace {

constexpr int kBoxWidth = 280;
constexpr int kGap = 6;
constexpr int kBottom = 34;

QString stepText(const QString &number, const QString &plain, const QString &coloured = {}, const QString &tail = {})
{
    QString html = (number + plain).toHtmlEscaped();
    if (!coloured.isEmpty())
        html += QStringLiteral("<span style=\"color:rgb(130,193,255)\">%1</span>").arg(coloured.toHtmlEscaped());
    return html + tail.toHtmlEscaped();
}

} // namespace

OONoNetworkPopupView::OONoNetworkPopupView(QWidget *parent)
    : NBBaseView(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    m_tipView = new OONoNetworkTipView(this);
    for (auto &step : m_steps)
        step = new OONoNetworkStepView(this);
    m_steps[0]->tipLab()->setText(stepText(QStringLiteral("1. "), localizedByAppLanguage(QStringLiteral("NO_NET_TIP_1_1")),
                                           localizedByAppLanguage(QStringLiteral("NO_NET_TIP_1_2")),
                                           localizedByAppLanguage(QStringLiteral("NO_NET_TIP_1_3"))));
    m_steps[1]->tipLab()->setText(stepText(QStringLiteral("2. "), localizedByAppLanguage(QStringLiteral("NO_NET_TIP_2_1")),
                                           localizedByAppLanguage(QStringLiteral("NO_NET_TIP_2_2"))));
    m_steps[2]->tipLab()->setText(stepText(QStringLiteral("3. "), localizedByAppLanguage(QStringLiteral("NO_NET_TIP_3"))));
    QPointer<OONoNetworkPopupView> self(this);
    const auto openSettings = [self] {
        if (self)
            SystemSettingsOpener::openNetworkSettings();
    };
    m_steps[0]->tapAction = openSettings;
    m_steps[1]->tapAction = openSettings;
    resize(800, 500);
}

OONoNetworkPopupView::~OONoNetworkPopupView() = default;

OONoNetworkPopupView *OONoNetworkPopupView::current()
{
    // A popup on its way out no longer counts: the next failure may show a new one.
    if (!s_current || s_current->isClosing())
        return nullptr;
    // One whose content was swapped out of the window goes with it: it counts no longer.
    if (s_current->parentWidget() != WindowInUse::contentWidget())
        return nullptr;
    return s_current;
}

OONoNetworkPopupView *OONoNetworkPopupView::showNoNetwork(const QString &text)
{
    if (current())
        return nullptr;
    auto made = std::make_unique<OONoNetworkPopupView>();
    made->setText(text);
    OONoNetworkPopupView *popup = NBBaseView::show(std::move(made));
    if (!popup)
        return nullptr;
    popup->layoutBoxes();
    s_current = popup;
    return popup;
}

void OONoNetworkPopupView::closeCurrent()
{
    if (s_current)
        s_current->closeOverlay();
}

void OONoNetworkPopupView::setText(const QString &text)
{
    m_tipView->tipLab()->setText(text);
    layoutBoxes();
}

void OONoNetworkPopupView::layoutBoxes()
{
    const int left = (width() - kBoxWidth) / 2;
    int bottom = height() - kBottom;
    for (int i = 2; i >= 0; --i) {
        const int h = m_steps[i]->heightForWidth(kBoxWidth);
        m_steps[i]->setGeometry(left, bottom - h, kBoxWidth, h);
        bottom -= h + kGap;
    }
    const int tipHeight = m_tipView->heightForWidth(kBoxWidth);
    m_tipView->setGeometry(left, bottom - tipHeight, kBoxWidth, tipHeight);
}

void OONoNetworkPopupView::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)
        closeOverlay();
}

void OONoNetworkPopupView::resizeEvent(QResizeEvent *event)
{
    NBBaseView::resizeEvent(event);
    layoutBoxes();
}
