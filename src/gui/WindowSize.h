#pragma once

#include <QScreen>
#include <QWidget>

// Resizes `window` to `wanted`, or less where the screen is smaller (high scaling on a small
// display), leaving room for the window frame.
inline void ResizeToFit(QWidget* window, const QSize& wanted)
{
    const QScreen* screen = window->screen();
    if (!screen) {
        window->resize(wanted);
        return;
    }
    const QSize room = screen->availableSize() - QSize(24, 48);
    window->resize(qMin(wanted.width(), room.width()), qMin(wanted.height(), room.height()));
}
