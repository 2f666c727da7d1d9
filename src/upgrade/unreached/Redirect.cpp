#include "upgrade/unreached/Redirect.h"
#include "upgrade/UpgradeLog.h"

#include <QDebug>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSslError>

Redirect::Redirect(QObject *parent)
    : QObject(parent)
    , m_session(new QNetworkAccessManager(this))
{
    m_session->setRedirectPolicy(QNetworkRequest::UserVerifiedRedirectPolicy);
}

QString Redirect::describe(const QUrl &original, const QUrl &next)
{
    return QStringLiteral("Original URL: ") + original.toString() + QStringLiteral("\nRedirect URL: ") + next.toString();
}

void Redirect::watch(QNetworkReply *reply)
{
    const QUrl original = reply->request().url();
    connect(reply, &QNetworkReply::redirected, reply, [reply, original](const QUrl &next) {
        if (original.isValid() && next.isValid())
            qCDebug(lcUpgrade).noquote() << describe(original, next);
        Q_EMIT reply->redirectAllowed();
    });
    connect(reply, &QNetworkReply::sslErrors, reply, [](const QList<QSslError> &errors) {
        QStringList texts;
        for (const QSslError &error : errors)
            texts << error.errorString();
        qCDebug(lcUpgrade).noquote() << QStringLiteral("Redirect URL: ") + texts.join(QStringLiteral("; "));
    });
}
