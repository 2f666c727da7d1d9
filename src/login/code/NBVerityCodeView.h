#pragma once

#include <QLineEdit>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <optional>

#include "login/code/OOConfig.h"

// A row of equal boxes for a numeric verification code, one digit per box. Each box takes ASCII
// digits only and keeps one character: a paste of several digits or a second digit typed keeps
// the last one. Focus moves on to the next box after a digit; a deletion leaves it where it is.
// inputBlock hears every edit; finishBlock hears the whole code (box order) each time an edit
// leaves every box filled. The boxes are laid out once, from the size given at creation.
class NBVerityCodeView : public QWidget
{
    Q_OBJECT
public:
    NBVerityCodeView(const QSize &size, const OOConfig &config, QWidget *parent = nullptr);

    std::function<void(const QString &)> inputBlock;
    std::function<void(NBVerityCodeView *, const QString &)> finishBlock;

    const std::optional<OOConfig> &config() const { return m_config; }
    // The box focused on a tap, and after the first edit the box edited last.
    QLineEdit *textField() const { return m_textField; }
    QList<QLineEdit *> boxes() const { return m_boxes; }
    bool inputFinish() const { return m_inputFinish; }
    QStringList stringArray() const { return m_stringArray; }
    QString code() const { return m_stringArray.join(QString()); }

    void tapActioin();
    // Empties every box and puts the cursor back in the first.
    void clearCode();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setupBoxes(const QSize &size);
    void handleEdit(QLineEdit *box);
    void finishInput();
    void resetBoxes();

    std::optional<OOConfig> m_config;
    QList<QLineEdit *> m_boxes;
    QPointer<QLineEdit> m_textField;
    QLineEdit *m_hiddenField = nullptr;
    bool m_inputFinish = false;
    int m_inputFinishIndex = 0;
    QStringList m_stringArray;
};
