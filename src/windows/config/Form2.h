#pragma once

#include "DetectionView.h"
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

    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command7 = nullptr;
    QPushButton* Command8 = nullptr;
    QComboBox* Combo1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QFrame* Shape2 = nullptr;
    QTimer* Timer1 = nullptr;
    std::unique_ptr<SerialLink> MSComm0;

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
