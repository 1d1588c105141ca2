#pragma once

#include <QDialog>

// The about box: the program's name, version, build and maker.
class CAboutBox : public QDialog
{
    Q_OBJECT

public:
    explicit CAboutBox(QWidget* parent = nullptr);
};
