#pragma once

#include "state/Int16.h"
#include "windows/Form.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class RectangleShape;

// The phone book editor: shows one of entries 1 to 5 at a time and writes every edit straight
// through to the shared phone book; its two option boxes rewrite the settings file at once.
// Assignments from code run the same procedures as the user's edits, with the CurrentEntry of
// that moment.
class Phonebook : public Form
{
    Q_OBJECT

public:
    explicit Phonebook(AppContext& context);

    void Form_Load() override;

    // What the file locator writes into the wav and picture boxes; runs the box's Change
    // procedure as typing would.
    void setText2(const QString& text);
    void setText3(const QString& text);

protected:
    void escapePressed() override;

private:
    void VScroll1_Change();
    void Text1_Change();
    void Text2_Change();
    void Text3_Change();
    // Tells whether the focus may leave the number box.
    bool Text1_Validate();
    void Text2_LostFocus();
    void Check1_Click(int state);
    void Check2_Click();
    void Check3_Click();
    void Command6_Click();
    void Command3_Click();
    void Command2_Click();
    void Command5_Click();
    void Command1_Click();
    void Command9_Click();

    void createControls();
    void layOut();
    void connectEvents();
    void showLocator(const QString& pattern, const QString& caption, const QString& currentFile);

    RectangleShape* Shape3; // frame of the book picture
    QLabel* Image1; // the phone book picture
    QPushButton* Command5; // "&Recorder"
    QLabel* Label3; // "Preview:"
    QLabel* Image2; // preview of the entry's picture
    QLabel* Label5; // "Entry#1" to "Entry#5"
    QCheckBox* Check1; // "Blocked call"
    QLabel* Label1; // "Phone Number:"
    QLineEdit* Text1; // the phone number
    QScrollBar* VScroll1; // entry 1 to 5
    QLabel* Label6; // "Shows Picture:"
    QLineEdit* Text3; // the picture file
    QPushButton* Command9; // "...", picks the picture
    QLabel* Label2; // "Plays wav file:"
    QLineEdit* Text2; // the wav file
    QPushButton* Command1; // "...", picks the wav file
    QCheckBox* Check2; // "Auto Update"
    QCheckBox* Check3; // "Enable Blocking"
    QPushButton* Command6; // "D&elete entry"
    QPushButton* Command3; // "S&ave Phonebook"
    QPushButton* Command2; // "&Done"

    Int16 CurrentEntry;
};
