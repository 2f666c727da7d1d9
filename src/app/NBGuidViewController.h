#pragma once

#include <QUrl>

#include <functional>

#include "uikit/NBBaseViewController.h"

class QLabel;
class QPushButton;
class QWidget;

// The first-run guide for a user who is not signed in: logo, name, picture, the two choices
// (visitor, existing account) and the consent line with the terms and privacy links. It only
// reports the choice; the application delegate carries it out.
class NBGuidViewController : public NBBaseViewController
{
    Q_OBJECT
public:
    // The service's user agreement and privacy policy (ServiceDocumentLinks).
    static QUrl termsUrl();
    static QUrl privacyUrl();

    using Tracker = std::function<void(const QString &event)>;

    explicit NBGuidViewController(QWidget *parent = nullptr);

    std::function<void()> visitorBlock;
    std::function<void()> userBlock;

    void viewDidLoad() override;
    void viewWillAppear() override;

    void visitorAction();
    void userAction();

    QWidget *contentView() const { return m_contentView; }
    QPushButton *visitorBtn() const { return m_visitorBtn; }
    QPushButton *userBtn() const { return m_userBtn; }
    QLabel *privacyTextView() const { return m_privacyTextView; }

    void setTracker(Tracker tracker) { m_tracker = std::move(tracker); }
    // The consent text as rich text (links in the link colour).
    static QString consentHtml();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void setupViews();
    // The event is sent first, the choice runs after it (when set).
    void trackAndRun(const QString &event, const std::function<void()> &block);

    QWidget *m_contentView = nullptr;
    QLabel *m_logoImgView = nullptr;
    QLabel *m_appnameLab = nullptr;
    QLabel *m_iconImgView = nullptr;
    QPushButton *m_visitorBtn = nullptr;
    QPushButton *m_userBtn = nullptr;
    QLabel *m_privacyTextView = nullptr;
    Tracker m_tracker;
};
