#pragma once

#include <QWidget>

class QLabel;

// A pane whose content this version does not have yet: it says so, and
// keeps the pane's name, size and place in the focus order.
class CEmptyPane : public QWidget
{
    Q_OBJECT

public:
    CEmptyPane(int nameId, QWidget* parent = nullptr);

    void Retranslate();

private:
    int nameId_;
    QLabel* name_;
    QLabel* note_;
};
