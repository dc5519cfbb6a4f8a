#include "Phonebook.h"

Phonebook::Phonebook(AppContext& context)
    : Form(context)
{
    setWindowTitle(QStringLiteral("Phonebook"));
    setClientSizeTwips(5745, 2055);
}
