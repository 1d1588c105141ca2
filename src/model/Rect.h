#pragma once

#include <QRect>

// A rectangle of canvas pixels; right and bottom are exclusive.
struct CRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    void Offset(int dx, int dy)
    {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }
    friend bool operator==(const CRect&, const CRect&) = default;
};

// The same rectangle as Qt keeps it, and back.
inline QRect ToQRect(const CRect& r)
{
    return QRect(r.left, r.top, r.Width(), r.Height());
}
inline CRect ToCRect(const QRect& r)
{
    return CRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}
