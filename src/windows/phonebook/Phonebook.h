#pragma once

#include "windows/Form.h"

class Phonebook : public Form
{
    Q_OBJECT

public:
    explicit Phonebook(AppContext& context);
};
