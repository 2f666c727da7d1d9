#pragma once

#include <QImage>
#include <QString>
#include <QUrl>
#include <QWidget>

// An image view of the line widgets: shows one of the program's images by asset name, or a remote
// picture (a flag) loaded through the shared image cache, scaled to fill and clipped to a corner
// radius. Whatever it was last told to show wins: every new image, asset or remote, supersedes a
// download still under way, so a slow answer for an earlier line never replaces a newer picture.
//
// Drawn assets are kept per name and size for the process, so rows that scroll into view cost no
// SVG rendering.
class AssetImageView : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString assetName READ assetName)

public:
    explicit AssetImageView(const QString &assetName = {}, QWidget *parent = nullptr);

    // The asset shown, or the placeholder while a remote picture is loading; empty while a remote
    // picture is shown.
    QString assetName() const { return m_asset; }
    // The remote address shown or being loaded; empty while an asset is shown.
    QUrl remoteUrl() const { return m_url; }
    bool showsRemoteImage() const { return !m_remote.isNull(); }

    void setAsset(const QString &name);
    // Shows `placeholder` now and the picture at `url` when it arrives (from the cache at once,
    // else over the network). A failed download leaves the placeholder.
    void loadUrl(const QUrl &url, const QString &placeholder);

    void setCornerRadius(qreal radius);

    // The asset drawn at the size asked for, from the process-wide cache.
    static QPixmap assetPixmap(const QString &name, const QSize &size, qreal ratio);

Q_SIGNALS:
    // A remote picture arrived and is shown.
    void remoteImageShown(const QUrl &url);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_asset;
    QUrl m_url;
    QImage m_remote;
    qreal m_radius = 0;
};
