#pragma once

#include <QString>

#include <optional>

#include "settings/general/GeneralPickerBase.h"

// The line-order picker: server order (stored 0) or latency order (stored 1) under
// "kLineOrderType". Choosing stores the row's number and closes the picker. Only the picker reads
// the stored order: the line lists show the lines in the service's order whatever it holds.
class NBSortViewController : public GeneralPickerBase
{
    Q_OBJECT
public:
    explicit NBSortViewController(QWidget *parent = nullptr);

    // The label of the stored order, set when the view loads; the check mark follows it.
    std::optional<QString> orderName;
    // The stored language when the picker was made (kept, read by nothing).
    std::optional<QString> language;

    void viewDidLoad() override;

    int numberOfRows() const override { return 2; }
    bool shouldSelectRow(int row) override;

protected:
    QString titleText() const override;
    QString rowTitle(int row) const override;
    bool rowChecked(int row) const override;
};
