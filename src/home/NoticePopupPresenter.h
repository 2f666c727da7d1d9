#pragma once

#include "home/NoticeChain.h"

class NBHomeViewController;

// Shows the notice pages in the popup web view over the window in use, with the home screen
// taking the pages' in-app destinations.
class NoticePopupPresenter
{
public:
    static NoticeChain::Presenter present(NBHomeViewController *home);
    // Whether the popup web view can be had (without it no page can be shown).
    static bool available();
};
