#pragma once

#include "model/Picture.h"

#include <QByteArray>

// A picture kept run-length compressed, as background frames are held in
// memory and in page files. compressedSize -1: `data` holds the raw
// width x height x 4 bytes; otherwise it is the number of bytes of
// run-length data in `data`.
class CCompressedPicture : public CPicture
{
public:
    int compressedSize = -1;
    QByteArray data;
};
