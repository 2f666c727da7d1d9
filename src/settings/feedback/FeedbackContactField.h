#pragma once

class NBCustomTextField;
class QWidget;

// The optional contact entry of the feedback forms: white text and a faint white placeholder that
// asks for a phone number, an e-mail address or a chat name, on the panel that frames it.
class FeedbackContactField
{
public:
    static NBCustomTextField *create(QWidget *panel);

private:
    FeedbackContactField() = delete;
};
