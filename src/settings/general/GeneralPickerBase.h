#pragma once

#include <QList>
#include <QPointer>

#include <memory>

#include "uikit/NBBaseViewController.h"

class GeneralListFrame;
class NBLanguageCell;
class NBNavView;
class QScrollArea;
class QWidget;

// The frame the two pickers of the general settings share: a 74-high title bar with a back
// button over a scrolling list of 50-high rows with a check mark on the current choice. The
// picker takes whatever frame its presenter gives it and lays itself out in it, so it never
// reaches past the screen it covers (the list scrolls instead).
class GeneralPickerBase : public NBBaseViewController
{
    Q_OBJECT
public:
    static constexpr int kRowHeight = 50;

    explicit GeneralPickerBase(QWidget *parent = nullptr);
    ~GeneralPickerBase() override;

    // The screen that presented the picker; dismissing goes back to it.
    QPointer<NBBaseViewController> presentVC;

    void viewDidLoad() override;

    NBNavView *navView() const { return m_navView; }
    QScrollArea *scrollView() const { return m_scrollView; }
    QWidget *tableView() const { return m_tableView; }
    const QList<NBLanguageCell *> &rows() const { return m_rows; }

    virtual int numberOfRows() const = 0;
    // Stores the choice of that row; never leaves a row selected.
    virtual bool shouldSelectRow(int row) = 0;
    // The back button.
    void backAction();

protected:
    virtual QString titleText() const = 0;
    virtual QString rowTitle(int row) const = 0;
    virtual bool rowChecked(int row) const = 0;
    void reloadData();
    void resizeEvent(QResizeEvent *event) override;

private:
    void layoutViews();

    std::unique_ptr<GeneralListFrame> m_frame;
    NBNavView *m_navView = nullptr;
    QScrollArea *m_scrollView = nullptr;
    QWidget *m_tableView = nullptr;
    QList<NBLanguageCell *> m_rows;
};
