#pragma once

#include "home/NoticeChain.h"

class NBHomeViewController;

// Shows the notice pages in the popup web view over the window in use, with the home screen
// taking the pages' in-app destinations.
class NoticePopupPresenter
{
public:
    static NoticeChain::Presenter present(NBHomeViewController *home);
    // Whether this build has the popup web view (without it no page can be shown).
    static bool available();
};
