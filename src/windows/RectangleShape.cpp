#include "RectangleShape.h"

RectangleShape::RectangleShape(QWidget* parent)
    : QFrame(parent)
{
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}
