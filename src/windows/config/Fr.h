#pragma once

#include "windows/Form.h"

class QPlainTextEdit;
class QPushButton;
class QRadioButton;

// The software agreement, shown once by the configuration window on a run that started without
// readable data files. Only "&Next >" goes on and only "I &Do Not Agree" refuses.
class Fr : public Form
{
    Q_OBJECT

public:
    // The agreement text as the text box holds it, lines ended by CR LF.
    static const QString kAgreementText;

    explicit Fr(AppContext& context);

    void Option1_Click();
    void Option2_Click();
    void Command1_Click();

    QPlainTextEdit* Text1 = nullptr; // the agreement text
    QRadioButton* Option1 = nullptr; // "I &Agree"
    QRadioButton* Option2 = nullptr; // "I &Do Not Agree"
    QRadioButton* Option3 = nullptr; // "null", hidden; holds the first selection
    QPushButton* Command1 = nullptr; // "&Next >"

protected:
    // A close from the frame neither agrees nor refuses, so it is ignored.
    void frameClosed() override { }
};
