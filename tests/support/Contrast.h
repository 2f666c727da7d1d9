#pragma once

// Contrast between two colours as the accessibility guidelines compute it (relative luminance,
// 1:1 to 21:1); body text reads at 4.5:1 or more.
#include <QApplication>
#include <QColor>
#include <QImage>
#include <QPalette>
#include <QRect>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace Contrast {

inline double channel(int value)
{
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

inline double luminance(const QColor &colour)
{
    return 0.2126 * channel(colour.red()) + 0.7152 * channel(colour.green()) + 0.0722 * channel(colour.blue());
}

inline double ratio(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The pixel inside `area` of `shot` that stands out most against `ground`: the core of the
// glyphs drawn there, or the ground itself where nothing is drawn.
inline QColor strongestAgainst(const QImage &shot, const QRect &area, const QColor &ground)
{
    QColor best = ground;
    double bestRatio = 1.0;
    const QRect inside = area.intersected(shot.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QColor pixel = shot.pixelColor(x, y);
            const double r = ratio(pixel, ground);
            if (r > bestRatio) {
                bestRatio = r;
                best = pixel;
            }
        }
    }
    return best;
}

// How a button's title reads on the button's own face, as its window draws it. The face is read
// at the button's left end, beside the centred title.
inline double buttonTitle(QWidget *button)
{
    QWidget *top = button->window();
    const QImage shot = top->grab().toImage();
    const QRect area(button->mapTo(top, QPoint(0, 0)), button->size());
    const QColor face = shot.pixelColor(area.left() + 12, area.center().y());
    return ratio(strongestAgainst(shot, area.adjusted(20, 4, -20, -4), face), face);
}

// A light desktop colour scheme (dark text on light controls) for as long as it lives.
class LightDesktop
{
public:
    LightDesktop()
        : m_saved(QApplication::palette())
    {
        QPalette light(QColor(239, 239, 239), QColor(239, 239, 239));
        for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
            light.setColor(role, QColor(35, 38, 41));
        QApplication::setPalette(light);
    }
    ~LightDesktop() { QApplication::setPalette(m_saved); }
    LightDesktop(const LightDesktop &) = delete;
    LightDesktop &operator=(const LightDesktop &) = delete;

private:
    QPalette m_saved;
};

// A dark desktop colour scheme (light text on dark controls) for as long as it lives.
class DarkDesktop
{
public:
    DarkDesktop()
        : m_saved(QApplication::palette())
    {
        QPalette dark(QColor(49, 54, 59), QColor(35, 38, 41));
        for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text, QPalette::BrightText})
            dark.setColor(role, QColor(252, 252, 252));
        QApplication::setPalette(dark);
    }
    ~DarkDesktop() { QApplication::setPalette(m_saved); }
    DarkDesktop(const DarkDesktop &) = delete;
    DarkDesktop &operator=(const DarkDesktop &) = delete;

private:
    QPalette m_saved;
};

} // namespace Contrast
