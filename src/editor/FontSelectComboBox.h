#pragma once

#include <QFontComboBox>

// The text format toolbar's font name box: the screen's scalable fonts,
// each drawn in its own face. Enter takes a typed name only when the list
// has it. Starts empty.
class CFontSelectComboBox : public QFontComboBox
{
    Q_OBJECT

public:
    explicit CFontSelectComboBox(QWidget* parent = nullptr);

    // Shows a name without announcing it (the canvas shows the selection's font).
    void ShowFontName(const QString& name);

signals:
    // The operator chose a font from the list or typed one it has.
    void FontChosen(const QString& family);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
