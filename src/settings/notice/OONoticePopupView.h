#pragma once

#include <QPointer>
#include <QUrl>

#include "uikit/OOBasePopupView.h"

class QLabel;
class QPushButton;
class QScrollArea;
class QTextBrowser;

// A native notice box: a 300 x 435 panel centred over the view it is added to (it fills that
// view and swallows presses), a read-only rich text whose links open in the desktop's browser,
// and "Close". Whoever shows it sets the text (textView()->setHtml(...)); nothing in the client
// shows it yet, the notices come as web popups.
class OONoticePopupView : public OOBasePopupView
{
    Q_OBJECT
public:
    explicit OONoticePopupView(QWidget *parent = nullptr);

    // Each made on first use. The title line is never placed.
    QLabel *titleLab();
    QScrollArea *scrollView();
    QTextBrowser *textView();
    QPushButton *closeBtn();

    // Removes the popup and sends "noticePage_close_click".
    void closeAction();
    // A link clicked in the text: "buy" hosts lead nowhere; the rest leaves through the
    // desktop's door (http, https and mailto only). Answers whether it was handed on.
    bool textViewClickedOnLink(const QUrl &url);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void layoutViews();
    void fitTextToContents();

    QPointer<QLabel> m_titleLab;
    QScrollArea *m_scrollView = nullptr;
    QTextBrowser *m_textView = nullptr;
    QPushButton *m_closeBtn = nullptr;
    bool m_closed = false;
    bool m_fitting = false;
};
