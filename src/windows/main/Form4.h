#pragma once

#include "windows/Form.h"

class Form4 : public Form
{
    Q_OBJECT

public:
    explicit Form4(AppContext& context);
};
