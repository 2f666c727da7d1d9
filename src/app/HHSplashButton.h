#pragma once

#include <QAbstractButton>
#include <QString>

// The splash's countdown control: its picture with the remaining seconds written over it.
class HHSplashButton : public QAbstractButton
{
    Q_OBJECT
public:
    explicit HHSplashButton(QWidget *parent = nullptr);

    QString title() const { return text(); }
    void setTitle(const QString &title) { setText(title); }
    void setImageName(const QString &name);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_imageName;
};
