#pragma once

#include <QJsonObject>
#include <QList>
#include <QPointer>

#include <optional>

#include "uikit/NBBaseViewController.h"
#include "networking/NBFeedbackListModel.h"
#include "settings/feedback/NBFeedbackDetailModel.h"
#include "settings/feedback/NBFeedbackDetailToolViewProtocol.h"

class NBFeedbackDetailToolView;
class OOLoadingView;
class QScrollArea;
class QVBoxLayout;

// The conversation pane of the feedback list (366 x 500 at its right): the feedback, the
// exchange with the service, a closing line when it is finished or adopted, and the reply bar
// while it is open. The list points it at a feedback with `model` and showFeedback().
class NBFeedbackDetailViewController : public NBBaseViewController, public NBFeedbackDetailToolViewProtocol
{
    Q_OBJECT

public:
    explicit NBFeedbackDetailViewController(QWidget *parent = nullptr);

    std::optional<NBFeedbackDetailModel> detailModel;
    std::optional<NBFeedbackListModel> model;

    void showFeedback();
    void requestRecord();
    // Shows a loaded conversation (the reply's "data"): rows, closing line, reply bar.
    void showConversation(const QJsonObject &data);
    void appendRecord(const std::optional<NBFeedbackRecordModel> &record, qint64 feedbackId) override;

    // The rows as the table would ask for them. A row's height is its view's: a bubble measures
    // its own text, which a long text lays out over several turns of the event loop.
    int rowCount() const;
    QWidget *rowView(int row, QWidget *parent) const;
    int rowHeight(QWidget *rowView) const;
    static QString footerText(const std::optional<qint64> &state);

    NBFeedbackDetailToolView *toolView() const { return m_toolView; }
    QScrollArea *scrollView() const { return m_scrollView; }
    QList<QWidget *> rowViews() const { return m_rows; }
    bool isLoading() const { return !m_loading.isNull(); }

protected:
    void viewDidLoad() override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void handleRecord(const std::optional<QJsonObject> &reply, qint64 requestedId, quint64 generation);
    void reloadData();
    void scrollToLastRow();
    void layoutPane();
    void rowsGrew();

    QScrollArea *m_scrollView = nullptr;
    QWidget *m_table = nullptr;
    QList<QWidget *> m_rows;
    NBFeedbackDetailToolView *m_toolView = nullptr;
    QPointer<OOLoadingView> m_loading;
    quint64 m_generation = 0;
    // Scrolled to the last row by the pane itself: rows that grow keep the end in view.
    bool m_followEnd = false;
};
