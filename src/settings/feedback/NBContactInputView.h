#pragma once

#include <QImage>
#include <QList>
#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class NBCustomTextField;
class NBPlaceHolderView;
class RoundedPanel;

// Row 1 of the feedback form: the text, one picture, the optional contact and "提交". It keeps
// the pictures and enables the button from five visible characters; choosing a picture and
// sending are the form's, through the two blocks.
class NBContactInputView : public QWidget
{
    Q_OBJECT

public:
    explicit NBContactInputView(QWidget *parent = nullptr);

    QList<QImage> imageArray;
    std::function<void()> actionBlock;
    std::function<void()> deleteBlock;   // kept for a form that wants to hear of removals
    std::function<void()> submitBlock;

    RoundedPanel *cornerView() const { return m_cornerView; }
    QLabel *titleLabel() const { return m_titleLabel; }
    NBPlaceHolderView *textView() const { return m_textView; }
    QPushButton *imgBtn() const { return m_imgBtn; }
    QLabel *showImageView() const { return m_showImageView; }
    QPushButton *deleteBtn() const { return m_deleteBtn; }
    QLabel *titleLab() const { return m_titleLab; }
    RoundedPanel *textContentView() const { return m_textContentView; }
    NBCustomTextField *textFiled() const { return m_textFiled; }
    QPushButton *signUpButton() const { return m_signUpButton; }

    void selectImageAction();
    void deleteImageAction();
    void sendAction();
    void reloadImages();
    // While the form uploads, the button takes neither clicks nor keys.
    void setUploading(bool uploading);
    bool isUploading() const { return m_uploading; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void textDidChange();
    void updateSubmitButton();

    RoundedPanel *m_cornerView = nullptr;
    QLabel *m_titleLabel = nullptr;
    NBPlaceHolderView *m_textView = nullptr;
    QPushButton *m_imgBtn = nullptr;
    QLabel *m_showImageView = nullptr;
    QPushButton *m_deleteBtn = nullptr;
    QLabel *m_titleLab = nullptr;
    RoundedPanel *m_textContentView = nullptr;
    NBCustomTextField *m_textFiled = nullptr;
    QPushButton *m_signUpButton = nullptr;
    bool m_uploading = false;
};
