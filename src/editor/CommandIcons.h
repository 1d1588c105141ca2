#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

// The program's icons (resources/icons/<name>.svg). Disabled images are
// made from the normal ones by the greying rule below, so that every
// disabled button looks the same whatever the style does.
QIcon ProgramIcon(const QString& name);

// Each pixel becomes the grey sqrt(0.587 G² + 0.299 R² + 0.114 B²), kept
// within 128..255; alpha stays.
QImage GreyedImage(const QImage& image);
