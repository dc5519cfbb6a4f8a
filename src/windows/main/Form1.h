#pragma once

#include "windows/Form.h"

class Form1 : public Form
{
    Q_OBJECT

public:
    explicit Form1(AppContext& context);

    void closePort() { }
};
