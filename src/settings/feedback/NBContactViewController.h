#pragma once

#include <QJsonObject>
#include <QPointer>

#include <functional>
#include <optional>

#include "uikit/NBBaseViewController.h"

class NBContactInputView;
class NBContactTypeView;
class OOLoadingView;
class QScrollArea;

// The new-feedback form: a type, a text of at least five characters, an optional contact and a
// picture, sent as one multipart upload. Shown in the feedback list's right-hand pane (which
// sets feedbackBlock) and as the window's contact entry.
//
// The two rows are made once and kept: what the user typed lives in them until a send succeeds.
class NBContactViewController : public NBBaseViewController
{
    Q_OBJECT

public:
    explicit NBContactViewController(QWidget *parent = nullptr);

    std::function<void()> feedbackBlock;

    NBContactTypeView *typeView() const { return m_typeView; }
    NBContactInputView *inputView() const { return m_inputView; }
    bool isUploading() const;

    void selectPhoto();
    void submit();

    static constexpr int kTypeRowHeight = 106;
    // The measure of "SETTING_CONTACTUS_ONE_HEADER" at the form's width, + 314.
    int inputRowHeight() const;

protected:
    void viewDidLoad() override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void handleReply(const std::optional<QJsonObject> &reply, const std::optional<QString> &message);
    void clearForm();
    void layoutRows();

    QScrollArea *m_scrollView = nullptr;
    QWidget *m_rows = nullptr;
    NBContactTypeView *m_typeView = nullptr;
    NBContactInputView *m_inputView = nullptr;
    QPointer<OOLoadingView> m_loading;
};
