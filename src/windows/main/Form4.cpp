#include "Form4.h"

Form4::Form4(AppContext& context)
    : Form(context)
{
    setWindowTitle(QStringLiteral("About Halvoren 1.5"));
    setClientSizeTwips(6165, 2985);
}
