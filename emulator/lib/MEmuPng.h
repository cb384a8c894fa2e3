#pragma once

#include <QByteArray>

// A valid PNG of one colour (RGB), made without an image library: tag icons and fixture images.
QByteArray MakeSolidPng(int width, int height, quint32 rgb);
