#pragma once

#include "web/NBBaseWebViewController.h"

// The free-membership lottery ("lotteryPage"): opened from the more page's "免费领取会员" row
// and its banner, from the home screen when a line needs membership or a notice jumps there, and
// from the splash advertisement.
// Created anew by each opener and loaded once, when its view is built; everything else
// (messages, buttons, links) is the base's.
class NBFreeViewController : public NBBaseWebViewController
{
    Q_OBJECT
public:
    static const QString kPageName;   // "lotteryPage"

    explicit NBFreeViewController(QWidget *parent = nullptr);

    void viewDidLoad() override;
    void loadPage() override;
};
