#pragma once

#include <QString>

// One row of the notes-and-files import's file list.
struct MFileObject
{
    QString name; // the file's full path
    qint64 state = 0; // 0 not imported yet, else the page creation's outcome code (1 created)
    QString message; // the service's error message after an error answer, else ""
    QString reason; // why it failed (or what was missing beside a success), in words a user can read
};
