#pragma once

#include <QFrame>

// A rectangle drawn on a window to frame other controls; it takes no input, so clicks on it
// reach the window beneath.
class RectangleShape : public QFrame
{
    Q_OBJECT

public:
    explicit RectangleShape(QWidget* parent);
};
