#pragma once

#include <QComboBox>

// The text format toolbar's font size box: the usual sizes in a list; Enter
// takes a typed size from 8 to 200 points and empties the box otherwise.
class CFontSizeComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit CFontSizeComboBox(QWidget* parent = nullptr);

    void ShowFontSize(int points);  // 0: empty

signals:
    void FontSizeChosen(int points);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
