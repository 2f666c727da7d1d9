#pragma once

class QAbstractButton;

// Adopted by a form that holds a code row: the row hands it the send-code press, and the form
// sends its code request (and starts the countdown when the service says the code was sent).
class NBVerityCodeContentViewProtocol
{
public:
    virtual ~NBVerityCodeContentViewProtocol() = default;
    virtual void codeButtonClicked(QAbstractButton *button) = 0;
};
