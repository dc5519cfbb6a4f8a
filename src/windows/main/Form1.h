#pragma once

#include "monitor/CallMonitor.h"
#include "monitor/MonitorView.h"
#include "windows/Form.h"

#include <QPointer>
#include <memory>

class LogBox;
class QLabel;
class QMouseEvent;
class QPushButton;
class QTimer;
class ReadmeWindow;
class RectangleShape;
class SerialLink;

// The main window and start-up window: the call log, the caller's picture, the two counters and
// the program's commands. The call monitor runs inside Command1's click and reaches the window
// only through MonitorView.
class Form1 : public Form, public MonitorView
{
    Q_OBJECT

public:
    explicit Form1(AppContext& context);
    ~Form1() override;

    void Form_Load() override;
    void Form_Unload() override;

    // Closes MSComm1 when it is open; the program's end relies on this.
    void closePort();

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Command8_Click();
    void Form_Click();
    void Text1_Click();
    void Text1_LostFocus();
    void Timer1_Timer();

    QString logText() const override;
    void setLogText(const QString& text) override;
    void appendLog(const QString& text) override;
    void focusLog() override;
    void showLogEnd() override;
    void setCaption(const QString& caption) override;
    void restoreIfMinimized() override;
    void disableWindow() override;
    void setActivateCaption(const QString& caption) override;
    void setConfigAndPhonebookEnabled(bool enabled) override;
    void setTotalCallsCaption(const QString& caption) override;
    QString blockedCallsCaption() const override;
    void setBlockedCallsCaption(const QString& caption) override;
    bool showPicture(const QString& file) override;
    void clearPicture() override;
    void setTimerEnabled(bool enabled) override;
    void showPortInUse(const QString& cause) override;
    void showNotResponding() override;

    QPushButton* Command1 = nullptr; // "&Activate" / "&Deactivate"
    QPushButton* Command2 = nullptr; // "&Clear log"
    QPushButton* Command3 = nullptr; // "Co&nfig"
    QPushButton* Command4 = nullptr; // "&Help"
    QPushButton* Command5 = nullptr; // "&Save log"
    QPushButton* Command6 = nullptr; // "&Print log"
    QPushButton* Command7 = nullptr; // "?", the About box
    QPushButton* Command8 = nullptr; // "Ph&onebook"
    LogBox* Text1 = nullptr; // the call log
    QLabel* Label1[2] {}; // "Total Calls:", "Total Blocked:"
    QLabel* Label2[2] {}; // the two counts
    RectangleShape* Shape1[2] {}; // frames of the two counters
    RectangleShape* Shape2 = nullptr; // frame of the caller's picture
    QLabel* Image1 = nullptr; // the caller's picture
    QTimer* Timer1 = nullptr; // the call monitor's 500 ms clock
    std::unique_ptr<SerialLink> MSComm1; // the modem port while monitoring

protected:
    void frameClosed() override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void createControls();
    void takeFirstRunPath();
    bool saveLog();
    void logFocusChanged();
    void setCount(QLabel* counter, const QString& caption);

    CallMonitor m_monitor;
    // readme.txt in the program's own window, while that is open.
    QPointer<ReadmeWindow> m_readme;
    // Set once a click has disabled the log box; the next focus change enables it again.
    bool m_logDisabledByClick = false;
    // The question whether to save the log before closing is open.
    bool m_closeAsked = false;
};
