#pragma once

class NBBaseViewController;

// The right half of the presented list screens (message centre, feedback): the pane showing the
// chosen entry sits beside the list, at x 363, as a child screen of the list screen.
class SplitListPane
{
public:
    static constexpr int kPaneX = 363;

    // Loads and shows `pane` there; a pane already in place stays as it is.
    static void attach(NBBaseViewController *host, NBBaseViewController *pane);
};
