#pragma once

#include "monitor/DetectionView.h"
#include "windows/Form.h"

#include <memory>

class PortDetection;
class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QTimer;
class SerialLink;

// The configuration window: port detection, the choice of the modem port and saving the
// settings. A run that starts without readable settings begins here.
class Form2 : public Form, private DetectionView
{
    Q_OBJECT

public:
    explicit Form2(AppContext& context);
    ~Form2() override;

    void Form_Load() override;
    void Form_Unload() override;

    // Closes MSComm0 when it is open; the program's end relies on this.
    void closePort();

    void Combo1_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command7_Click();
    void Command8_Click();
    void Timer1_Timer();

    const PortDetection& detection() const { return *m_detection; }

    QPushButton* Command1 = nullptr; // "Phonebook"
    QPushButton* Command2 = nullptr; // "&Cancel"
    QPushButton* Command3 = nullptr; // "&Done"
    QPushButton* Command4 = nullptr; // "&Detect"
    QPushButton* Command7 = nullptr; // "&Save config"
    QPushButton* Command8 = nullptr; // "?", help
    QComboBox* Combo1 = nullptr; // the port: detected ports, or typed
    QLabel* Label3 = nullptr; // "Help Captions", the message area
    QLabel* Label4 = nullptr; // "Modem Comm Port"
    QFrame* Shape2 = nullptr; // frame of the port controls
    QTimer* Timer1 = nullptr; // port detection's 500 ms clock
    std::unique_ptr<SerialLink> MSComm0; // the port being probed

protected:
    void frameClosed() override;
    void escapePressed() override;

private:
    void setHelpCaption(const QString& caption) override;
    void clearPortList() override;
    void addPortItem(const QString& item) override;
    void focusPortList() override;
    void enableSaveConfig() override;
    void setTimerEnabled(bool enabled) override;
    void disableWindow() override;
    void unloadWindow() override;

    void createControls();
    void enableMainWindow();
    bool writePhoneBookIfMissing();
    void reloadPhoneBook();

    // Shared with a running scan, which outlives the window when the window is unloaded under it.
    std::shared_ptr<PortDetection> m_detection;
};
