#pragma once

// Shared by the registration and retrieval tests: the client pointed at a stand-in, a window
// showing the guide (the root the sheets go over), and small readers of what the forms showed.
#include <QJsonArray>
#include <QLabel>
#include <QRandomGenerator>
#include <QTest>

#include "support/NetworkTestSupport.h"
#include "app/AppDelegate.h"
#include "app/NBMainSplitViewController.h"
#include "uikit/OOLoadingView.h"
#include "uikit/OOToastView.h"
#include "uikit/UiTiming.h"
#include "common/MKUserInfoManager.h"

class AccountFlowSuite : public StandinSuite
{
protected:
    void SetUp() override
    {
        StandinSuite::SetUp();
        ASSERT_TRUE(MKUserInfoManager::shared().clearUser());
        s_standin->control(QJsonObject{{QStringLiteral("clear_records"), true}});
        delegate.showGuide();
    }

    NBBaseViewController *root() const { return delegate.fakeWindowVC()->contentViewController(); }
    NBMainSplitViewController *split() const { return qobject_cast<NBMainSplitViewController *>(root()); }

    template <typename Screen>
    Screen *openSheet()
    {
        return root()->presentViewControllerAsSheet(std::make_unique<Screen>());
    }

    // The requests the stand-in received on a path, oldest first.
    QList<QJsonObject> requestsTo(const QString &path) const
    {
        QList<QJsonObject> found;
        for (const QJsonValue &entry : s_standin->records().value(QStringLiteral("requests")).toArray()) {
            if (entry.toObject().value(QStringLiteral("path")).toString() == path)
                found << entry.toObject().value(QStringLiteral("params")).toObject();
        }
        return found;
    }
    QStringList analyticsEvents() const
    {
        QStringList events;
        for (const QJsonValue &entry : s_standin->records().value(QStringLiteral("analytics")).toArray())
            events << entry.toObject().value(QStringLiteral("event")).toString();
        return events;
    }
    QString lastCodeFor(const QString &account) const
    {
        QString code;
        for (const QJsonValue &entry : s_standin->records().value(QStringLiteral("codes")).toArray()) {
            // Phone numbers are listed after their calling code ("+86 13800000000").
            if (entry.toObject().value(QStringLiteral("account")).toString().endsWith(account))
                code = entry.toObject().value(QStringLiteral("code")).toString();
        }
        return code;
    }

    static QStringList toastTexts(QWidget *host)
    {
        QStringList texts;
        if (!host)
            return texts;
        for (OOToastView *toast : host->findChildren<OOToastView *>(Qt::FindDirectChildrenOnly))
            texts << toast->tipLab()->text();
        return texts;
    }
    static bool covered(QWidget *form)
    {
        for (OOLoadingView *cover : form->findChildren<OOLoadingView *>()) {
            if (!cover->isClosing())
                return true;
        }
        return false;
    }
    static QString unique(const char *prefix)
    {
        return QString::fromLatin1(prefix) + QString::number(QRandomGenerator::global()->bounded(10000000, 99999999));
    }

    // Long enough for a toast to be seen, short enough for the one-second steps.
    UiTimingScope timing{0.2};
    AppDelegate delegate;
};
