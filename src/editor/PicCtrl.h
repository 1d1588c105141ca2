#pragma once

#include <QImage>
#include <QWidget>

class CPicture;

// A picture shown in its window: 1:1 when the window has the picture's
// size, otherwise scaled without smoothing, in its proportions, the rest of
// the window in the pane colour. Nothing is painted before a picture is set.
class CPicCtrl : public QWidget
{
    Q_OBJECT

public:
    explicit CPicCtrl(QWidget* parent = nullptr);

    void SetPicture(const CPicture& picture);
    // A width x height picture of one colour.
    void SetColour(const QColor& colour, int width, int height);
    bool Valid() const { return !image_.isNull(); }
    const QImage& Image() const { return image_; }
    // Where the picture lands in the window.
    QRect PictureRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
};
