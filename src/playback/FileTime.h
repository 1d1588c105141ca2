#pragma once

#include <QDateTime>
#include <QString>

struct timespec;

// Last-write times of source files, in UTC to the millisecond (what a change
// check compares). An invalid QDateTime when the file cannot be examined.
QDateTime FileLastWriteTime(const QString& path);
QDateTime FileLastWriteTime(int fd);
QDateTime LastWriteTimeFromTimespec(const struct timespec& time);
