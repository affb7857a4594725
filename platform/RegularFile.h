#pragma once

#include <QString>

// Opens a file only when it is a regular one. A named pipe or a device at the path would block open() or read()
// on the user-interface thread, with the timer and the signal handling stuck behind it, so the check runs before
// the open and again on the opened descriptor (the path may change in between), and the open never blocks.
// flags: the open(2) flags (O_RDONLY, O_WRONLY | O_CREAT | O_TRUNC, ...). Returns the descriptor, or -1 with the
// reason in error.
int openRegularFile(const QString& path, int flags, QString* error);

// Empty when path names nothing or a regular file (symlinks followed), else why it can be neither read nor
// written as one.
QString notRegularReason(const QString& path);
