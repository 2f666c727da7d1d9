#pragma once

#include "web/NBBaseWebViewController.h"

// The invitation page ("invitePage"): the user's invitation code and link, opened from the
// more page's "邀请好友" row.
// Created anew by each opener and loaded once, when its view is built; everything else
// (messages, buttons, links) is the base's.
class NBInviteViewController : public NBBaseWebViewController
{
    Q_OBJECT
public:
    static const QString kPageName;   // "invitePage"

    explicit NBInviteViewController(QWidget *parent = nullptr);

    void viewDidLoad() override;
    void loadPage() override;
};
