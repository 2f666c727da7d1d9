#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QPointer>
#include <QRect>
#include <QWidget>

// The dark rounded message box: a spinner (loading, with a mask that blocks the view), an
// image (success, failure) or text only, in the middle of a view. At most one is meant to be up:
// every show hides what is shown first. Message, success and failure boxes fade out after 3 s
// and are deleted then (a transparent box left in place would still take clicks).
class FNHUD : public QWidget
{
    Q_OBJECT
public:
    // Class-wide look, made on the first call: bold 15 px font, margins 20, black at 65 %,
    // white text, "yy_hud_success" and "yy_hud_fail". Safe to call again.
    static void setup();

    static FNHUD *showLoading(const QString &message, QWidget *view);
    static FNHUD *showMessage(const QString &message, QWidget *view);
    static FNHUD *showSuccess(const QString &message, QWidget *view);
    static FNHUD *showError(const QString &message, QWidget *view);
    // Fades every shown HUD out and deletes it.
    static void hide();

    // What is on screen (the box, or the mask that holds it).
    static QList<QWidget *> shownViews();

    // Longer messages are cut with "…".
    static constexpr int kMaxMessageChars = 300;

    // The box for a message in a parent of that size (centred).
    static QRect calcRect(const QString &message, bool hasImage, const QSize &parentSize);

    static constexpr int kMargin = 20;
    static constexpr int kImageBand = 58;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    explicit FNHUD(const QRect &frame, QWidget *parent);
    static FNHUD *createUI(const QString &message, const QString &imageName, QWidget *view, bool withMask, bool autoHide);
};
