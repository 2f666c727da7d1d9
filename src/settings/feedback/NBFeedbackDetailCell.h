#pragma once

#include <QWidget>

class FeedbackTextView;
class QLabel;
class RoundedPanel;

// What every bubble of the feedback conversation shares: the bubble, its text, its picture, its
// time and the head picture beside it. The subclasses fill them from one record and say on which
// side the head picture sits.
class NBFeedbackDetailCell : public QWidget
{
    Q_OBJECT

public:
    explicit NBFeedbackDetailCell(QWidget *parent = nullptr);

    RoundedPanel *cornerView() const { return m_cornerView; }
    FeedbackTextView *infoLab() const { return m_infoLab; }
    QLabel *feedbackImgView() const { return m_feedbackImgView; }
    QLabel *timeLab() const { return m_timeLab; }
    QLabel *iconImgView() const { return m_iconImgView; }

    // The height a row `rowWidth` wide needs for what the bubble holds, with its text as far
    // as it is laid out; it grows (preferredHeightChanged) while a long text is laid out.
    int preferredHeight(int rowWidth);

    // The picture's box: 85 wide, as high as the row leaves room for.
    static constexpr int kPictureSide = 85;

Q_SIGNALS:
    void preferredHeightChanged();

protected:
    enum class Side { Right, Left };
    struct Placement
    {
        Side headSide = Side::Right;
        bool pictureBelowText = true;
    };
    virtual Placement placement() const = 0;
    // The height of the bubble's text as far as it is laid out (0 when it is hidden).
    qreal textHeight() const;
    // The row's height around a text of that height; 0 for a bubble left empty.
    virtual qreal rowHeightWithText(qreal textHeight) const = 0;

    void setupSubviews();
    void setHeadPicture(const QString &name);
    void showPicture(const QString &source);
    void resizeEvent(QResizeEvent *event) override;
    void layoutSubviews();

private:
    RoundedPanel *m_cornerView = nullptr;
    FeedbackTextView *m_infoLab = nullptr;
    QLabel *m_feedbackImgView = nullptr;
    QLabel *m_timeLab = nullptr;
    QLabel *m_iconImgView = nullptr;
};
