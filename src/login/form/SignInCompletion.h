#pragma once

// What a sign-in the service accepted leads to once its reply has stored the user: the main
// window, one second later. It does not wait on the form that asked: a user who switched the
// sign-in tab or went back meanwhile is signed in all the same, so the window follows.
class SignInCompletion
{
public:
    static void showMainWindowLater();

private:
    SignInCompletion() = delete;
};
