#pragma once

#include "uikit/unreached/LMTitleButton.h"

// Nothing in the client creates this yet; it is kept as the kit's hover-image button.
// An LMTitleButton whose image follows the same rule as its title colour: the down image while
// pressed, the hover image (when set) under the pointer, else the default image.
class LMImageButton : public LMTitleButton
{
    Q_OBJECT
public:
    explicit LMImageButton(QWidget *parent = nullptr);

    QString defaultImage() const { return m_defaultImage; }
    void setDefaultImage(const QString &name);
    QString hoverImage() const { return m_hoverImage; }
    void setHoverImage(const QString &name);
    QString downImage() const { return m_downImage; }
    void setDownImage(const QString &name);

    QString currentImage() const { return m_currentImage; }

protected:
    void applyState() override;

private:
    QString m_defaultImage;
    QString m_hoverImage;
    QString m_downImage;
    QString m_currentImage;
};
