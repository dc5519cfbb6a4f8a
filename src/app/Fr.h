#pragma once

#include "windows/Form.h"

class Fr : public Form
{
    Q_OBJECT

public:
    explicit Fr(AppContext& context);
};
