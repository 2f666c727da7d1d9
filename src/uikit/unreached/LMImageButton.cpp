#include "uikit/unreached/LMImageButton.h"

#include "uikit/UiImages.h"

LMImageButton::LMImageButton(QWidget *parent)
    : LMTitleButton(QString(), parent)
{
}

void LMImageButton::setDefaultImage(const QString &name)
{
    m_defaultImage = name;
    applyState();
}

void LMImageButton::setHoverImage(const QString &name)
{
    m_hoverImage = name;
    applyState();
}

void LMImageButton::setDownImage(const QString &name)
{
    m_downImage = name;
    applyState();
}

void LMImageButton::applyState()
{
    applyTitleColor();
    if (isEnabled()) {
        QString name;
        if (isDown())
            name = m_downImage;
        else if (isHover() && !m_hoverImage.isEmpty())
            name = m_hoverImage;
        else
            name = m_defaultImage;
        if (!name.isEmpty() && name != m_currentImage) {
            m_currentImage = name;
            setIcon(UiImages::icon(name));
        }
    }
    update();
}
