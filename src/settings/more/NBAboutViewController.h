#pragma once

#include <QUrl>

#include "uikit/NBBaseViewController.h"

class NBTrackButton;
class QLabel;
class QPushButton;

// The about page: logo, name, version, the two social buttons, the customer-service label and
// the agreement and privacy links. Shown in the split view's about slot and presented from the
// more page; its back button closes it only where it was presented.
class NBAboutViewController : public NBBaseViewController
{
    Q_OBJECT
public:
    // The operator's pages.
    static const QUrl kTwitterUrl;
    static const QUrl kTelegramUrl;
    // The user agreement and privacy policy, on the host in use, as the guide links them.
    static QUrl termsUrl();
    static QUrl privacyUrl();

    explicit NBAboutViewController(QWidget *parent = nullptr);

    void viewDidLoad() override;
    void viewWillAppear() override;

    void twitterAction();
    void telegramAction();
    void openTermsUrl();
    void openPrivacyUrl();
    // Only http, https and mailto addresses reach the desktop.
    static void openURLString(const QString &text);
    // The agreement line as rich text: two links around a plain "和".
    static QString privacyHtml();

    QLabel *iconImageView() const { return m_iconImageView; }
    QLabel *titleLab() const { return m_titleLab; }
    QLabel *versionLabel() const { return m_versionLabel; }
    NBTrackButton *twitterBtn() const { return m_twitterBtn; }
    NBTrackButton *telegramBtn() const { return m_telegramBtn; }
    QLabel *contactLab() const { return m_contactLab; }
    QLabel *privacyTextView() const { return m_privacyTextView; }
    QPushButton *backBtn() const { return m_backBtn; }

private:
    QLabel *m_iconImageView = nullptr;
    QLabel *m_titleLab = nullptr;
    QLabel *m_versionLabel = nullptr;
    NBTrackButton *m_twitterBtn = nullptr;
    NBTrackButton *m_telegramBtn = nullptr;
    QLabel *m_contactLab = nullptr;
    QLabel *m_privacyTextView = nullptr;
    QPushButton *m_backBtn = nullptr;
};
