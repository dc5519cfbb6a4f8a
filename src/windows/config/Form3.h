#pragma once

#include "windows/Form.h"

class Form3 : public Form
{
    Q_OBJECT

public:
    explicit Form3(AppContext& context);
};
