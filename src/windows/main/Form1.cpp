#include "Form1.h"

Form1::Form1(AppContext& context)
    : Form(context)
{
    setWindowTitle(QStringLiteral("Halvoren version 1.5"));
    setClientSizeTwips(6855, 2385);
}
