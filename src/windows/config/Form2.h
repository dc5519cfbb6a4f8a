#pragma once

#include "windows/Form.h"

class Form2 : public Form
{
    Q_OBJECT

public:
    explicit Form2(AppContext& context);

    void closePort() { }
};
