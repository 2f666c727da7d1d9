#pragma once

// Shared by the line widget tests: analytics read back, lines made quickly, a host window.

#include <QCoreApplication>
#include <QStringList>
#include <QCursor>
#include <QTest>
#include <QWidget>

#include "uikit/WindowInUse.h"
#include "home/LineEvents.h"
#include "vpn/OOHomeNodeModel.h"

// Records the line widgets' analytics events for one test.
class EventRecorder
{
public:
    EventRecorder()
    {
        LineEvents::setSinkForTesting([this](const QString &event) { events << event; });
    }
    ~EventRecorder() { LineEvents::setSinkForTesting({}); }
    QStringList events;
};

inline OOHomeNodeModel makeLine(int id, const QString &name, std::optional<int> kind = 0,
                                std::optional<QString> abbrUrl = std::nullopt)
{
    OOHomeNodeModel line;
    line.id = id;
    line.name = name;
    line.kind = kind;
    line.abbrUrl = abbrUrl;
    return line;
}

// An 800 x 500 window that is the window in use for the popups.
class HostWindow
{
public:
    HostWindow()
    {
        m_window.resize(800, 500);
        m_window.show();
        WindowInUse::setContentWidget(&m_window);
    }
    ~HostWindow() { WindowInUse::setContentWidget(nullptr); }
    QWidget *widget() { return &m_window; }

private:
    QWidget m_window;
};

// The controls of `within` (buttons, and widgets that show the pointing hand; all of `root` when
// none is given) that another widget of `root` lies over somewhere: a click there would not reach
// them. Each is named by its class and the spot that misses it. Only the part of a control its
// parents leave in view counts.
inline QStringList controlsCoveredByOthers(QWidget *root, QWidget *within = nullptr)
{
    QStringList covered;
    const QList<QWidget *> widgets = (within ? within : root)->findChildren<QWidget *>();
    for (QWidget *control : widgets) {
        const bool isButton = control->inherits("QAbstractButton");
        const bool pointing = control->testAttribute(Qt::WA_SetCursor)
                              && control->cursor().shape() == Qt::PointingHandCursor;
        if ((!isButton && !pointing) || !control->isVisibleTo(root) || control->testAttribute(Qt::WA_TransparentForMouseEvents))
            continue;
        QRect inView(control->mapTo(root, QPoint(0, 0)), control->size());
        for (QWidget *up = control->parentWidget(); up && up != root; up = up->parentWidget())
            inView &= QRect(up->mapTo(root, QPoint(0, 0)), up->size());
        inView &= root->rect();
        if (inView.width() < 2 || inView.height() < 2)
            continue;
        for (int i = 0; i <= 4; ++i) {
            for (int j = 0; j <= 4; ++j) {
                const QPoint spot(inView.left() + 1 + (inView.width() - 3) * i / 4,
                                  inView.top() + 1 + (inView.height() - 3) * j / 4);
                QWidget *hit = root->childAt(spot);
                if (hit == control || (hit && control->isAncestorOf(hit)))
                    continue;
                covered << QStringLiteral("%1 at (%2, %3) under %4")
                               .arg(QString::fromLatin1(control->metaObject()->className()))
                               .arg(spot.x())
                               .arg(spot.y())
                               .arg(hit ? QString::fromLatin1(hit->metaObject()->className()) : QStringLiteral("nothing"));
                i = j = 5;   // one report per control
            }
        }
    }
    return covered;
}
