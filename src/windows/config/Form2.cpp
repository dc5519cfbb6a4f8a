#include "Form2.h"

Form2::Form2(AppContext& context)
    : Form(context)
{
    setWindowTitle(QStringLiteral(" Halvoren 1.5 configuration menu"));
    setClientSizeTwips(5355, 1680);
}
