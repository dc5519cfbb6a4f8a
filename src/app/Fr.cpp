#include "Fr.h"

Fr::Fr(AppContext& context)
    : Form(context)
{
    setWindowTitle(QStringLiteral("Halvoren program software agreement"));
    setClientSizeTwips(4575, 3105);
}
