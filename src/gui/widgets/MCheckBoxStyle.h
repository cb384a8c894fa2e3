#pragma once

#include <QProxyStyle>

// Check boxes (of item views and on their own) with an outline that shows on every palette. Some
// styles draw an unchecked box in a shade of the window colour, which vanishes on the base colour
// of a dark palette; a tree whose whole use is its check boxes cannot have that.
class MCheckBoxStyle : public QProxyStyle
{
    Q_OBJECT
public:
    using QProxyStyle::QProxyStyle;

    // Puts the style in front of the application's own, once.
    static void Install();

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
        const QWidget* widget = nullptr) const override;
};
