#pragma once

#include "model/FileStamp.h"

#include <QString>

struct stat;

// Stamps of source files; invalid when the file cannot be examined.
CFileStamp FileStampOf(const QString& path);
CFileStamp FileStampOf(int fd);
CFileStamp FileStampFromStat(const struct stat& info);
