#pragma once

class QPushButton;
class QWidget;

// What the account's code sheets share (the code entry and the new password that follows it):
// the dark page and the back arrow in the top left corner.
class AccountCodeSheetLook
{
public:
    // Fills the sheet with the dark page colour.
    static void paintBackground(QWidget *sheet);
    // The 35 px back arrow, flat and never focused; the sheet places it and says where it leads.
    static QPushButton *backButton(QWidget *sheet);

private:
    AccountCodeSheetLook() = delete;
};
