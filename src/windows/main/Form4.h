#pragma once

#include "windows/Form.h"

class QLabel;
class QPushButton;
class RectangleShape;

// The About box. It is shown modeless by a "?" button whose window disables itself; "&OK"
// enables the main and the configuration window again.
class Form4 : public Form
{
    Q_OBJECT

public:
    explicit Form4(AppContext& context);

    void Command1_Click();

    QPushButton* Command1 = nullptr; // "&OK"
    QLabel* Label1 = nullptr; // the program name and version, in Impact
    QLabel* Label2[3] {}; // description and credits
    QLabel* Label3 = nullptr; // "Shareware version"
    RectangleShape* Shape1 = nullptr; // frame of the credits

protected:
    // Closing the box from its frame counts as "&OK"; otherwise its opener would stay disabled.
    void frameClosed() override;
    void escapePressed() override;
};
