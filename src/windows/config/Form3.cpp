#include "Form3.h"

Form3::Form3(AppContext& context)
    : Form(context)
{
    setWindowTitle(QStringLiteral("Locate wav files"));
    setClientSizeTwips(3975, 3780);
}
