#pragma once

#include <QString>
#include <QStringList>

#include <optional>

#include "settings/general/GeneralPickerBase.h"

// The language picker: five languages, the stored one checked. Choosing stores the code under
// "kAppLanguageKey" and posts "kSwitchLanguge"; the main window then builds its content again in
// the new language, which replaces the settings and this picker, so the picker does not close
// itself.
class NBLanguageViewController : public GeneralPickerBase
{
    Q_OBJECT
public:
    explicit NBLanguageViewController(QWidget *parent = nullptr);

    // The stored language when the picker was made; the check mark follows it.
    std::optional<QString> language;

    void viewDidLoad() override;

    // The rows' names (localisation keys) and the codes they store, in row order.
    static QStringList titleData();
    static QStringList languageData();

    int numberOfRows() const override { return int(titleData().size()); }
    bool shouldSelectRow(int row) override;

protected:
    QString titleText() const override;
    QString rowTitle(int row) const override;
    bool rowChecked(int row) const override;
};
