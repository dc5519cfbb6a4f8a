#pragma once

#include "windows/Form.h"

class DirectoryList;
class FileList;
class QComboBox;
class QLabel;
class QListWidgetItem;
class QPushButton;

// The file locator: picks a wav or picture file for the phone book editor and writes its full
// path into the editor's matching box. Unloaded after every use.
class Form3 : public Form
{
    Q_OBJECT

public:
    explicit Form3(AppContext& context);

    // The file list's pattern; several patterns are joined by ";".
    void setFilePattern(const QString& pattern);
    // Shows the folder of `currentFile` where that folder exists, else the program's data folder.
    void openIn(const QString& currentFile);

protected:
    void escapePressed() override;

private:
    void Drive1_Change();
    void Dir1_Change();
    void Command2_Click();
    void File1_DblClick(QListWidgetItem* item);
    void Command1_Click();

    void createControls();
    void layOut();
    void fillDrives();
    QString fullPath(const QString& fileName) const;

    QPushButton* Command2; // "&Select"
    DirectoryList* Dir1; // directory list
    QPushButton* Command1; // "&Cancel"
    QComboBox* Drive1; // drive list
    FileList* File1; // file list
    QLabel* Label3; // "Directory:"
    QLabel* Label2; // "Drive:"
    QLabel* Label1; // "Filename:"
    QString m_startFolder;
};
