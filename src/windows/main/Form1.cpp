#include "Form1.h"

#include "Form4.h"
#include "LogBox.h"
#include "ReadmeWindow.h"
#include "Version.h"
#include "platform/Launcher.h"
#include "platform/LogPrinter.h"
#include "platform/MessageBoxes.h"
#include "platform/PictureLoader.h"
#include "platform/Platform.h"
#include "platform/ProgramEnd.h"
#include "platform/SerialLink.h"
#include "state/AppState.h"
#include "state/DataStore.h"
#include "state/RuntimeError.h"
#include "windows/AppContext.h"
#include "windows/AppFonts.h"
#include "windows/Controls.h"
#include "windows/RectangleShape.h"
#include "windows/config/Form2.h"
#include "windows/phonebook/Phonebook.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

namespace {

const QString kDeactivateCaption = QStringLiteral("&Deactivate");

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& caption)
{
    QLabel* label = Controls::label(parent, name, caption);
    label->setFont(AppFonts::msSansSerif(8.25, true));
    return label;
}

} // namespace

Form1::Form1(AppContext& context)
    : Form(context)
    , MSComm1(context.platform.makeSerialLink())
    , m_monitor(context.state, *this, *MSComm1, context.platform.pump, context.platform.sound,
          context.platform.end)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Halvoren version " HALVOREN_VERSION));
    setClientSizeTwips(6855, 2385);
    createControls();

    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &Form1::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, &Form1::Command7_Click);
    connect(Command8, &QPushButton::clicked, this, &Form1::Command8_Click);
    connect(Text1, &LogBox::clicked, this, &Form1::Text1_Click);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(qApp, &QApplication::focusChanged, this, &Form1::logFocusChanged);
}

Form1::~Form1()
{
    // Closing the window as it is destroyed still reports a focus change.
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
}

void Form1::createControls()
{
    // Shapes first, so that they lie beneath the controls they frame.
    Shape1[0] = new RectangleShape(this);
    Shape1[0]->setObjectName(QStringLiteral("Shape1[0]"));
    placeTwips(Shape1[0], 4920, 120, 1815, 495);
    Shape1[1] = new RectangleShape(this);
    Shape1[1]->setObjectName(QStringLiteral("Shape1[1]"));
    placeTwips(Shape1[1], 4920, 720, 1815, 495);
    Shape2 = new RectangleShape(this);
    Shape2->setObjectName(QStringLiteral("Shape2"));
    placeTwips(Shape2, 120, 120, 2175, 1815);

    Command1 = Controls::make<QPushButton>(
        this, QStringLiteral("Command1"), QStringLiteral("&Activate"));
    placeTwips(Command1, 5280, 1320, 1095, 255);
    Command8 = Controls::make<QPushButton>(
        this, QStringLiteral("Command8"), QStringLiteral("Ph&onebook"));
    placeTwips(Command8, 5280, 1680, 1095, 255);
    Command2 = Controls::make<QPushButton>(
        this, QStringLiteral("Command2"), QStringLiteral("&Clear log"));
    placeTwips(Command2, 120, 2040, 855, 255);
    Command6 = Controls::make<QPushButton>(
        this, QStringLiteral("Command6"), QStringLiteral("&Print log"));
    placeTwips(Command6, 1080, 2040, 855, 255);
    Command5 = Controls::make<QPushButton>(
        this, QStringLiteral("Command5"), QStringLiteral("&Save log"));
    placeTwips(Command5, 2040, 2040, 855, 255);
    Command3
        = Controls::make<QPushButton>(this, QStringLiteral("Command3"), QStringLiteral("Co&nfig"));
    placeTwips(Command3, 3000, 2040, 855, 255);
    Command4
        = Controls::make<QPushButton>(this, QStringLiteral("Command4"), QStringLiteral("&Help"));
    placeTwips(Command4, 3960, 2040, 855, 255);
    Command7 = Controls::make<QPushButton>(this, QStringLiteral("Command7"), QStringLiteral("?"));
    Command7->setFont(AppFonts::msSansSerif(8.25, true));
    Command7->setAccessibleName(QStringLiteral("About Halvoren"));
    placeTwips(Command7, 6480, 2040, 255, 255);

    Text1 = new LogBox(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setFont(AppFonts::tahoma(8.25, true));
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette logColours = Text1->palette();
    logColours.setColor(QPalette::Base, QColor(128, 128, 128));
    logColours.setColor(QPalette::Active, QPalette::Text, Qt::black);
    logColours.setColor(QPalette::Inactive, QPalette::Text, Qt::black);
    Text1->setPalette(logColours);
    placeTwips(Text1, 2400, 120, 2415, 1815);

    Label1[0] = makeLabel(this, QStringLiteral("Label1[0]"), QStringLiteral("Total Calls:"));
    placeTwips(Label1[0], 5040, 240, 1335, 255);
    Label2[0] = makeLabel(this, QStringLiteral("Label2[0]"), QStringLiteral("0"));
    placeTwips(Label2[0], 6360, 240, 255, 255);
    Label1[1] = makeLabel(this, QStringLiteral("Label1[1]"), QStringLiteral("Total Blocked:"));
    placeTwips(Label1[1], 5040, 840, 1335, 255);
    Label2[1] = makeLabel(this, QStringLiteral("Label2[1]"), QStringLiteral("0"));
    placeTwips(Label2[1], 6360, 840, 255, 255);
    Label2[0]->setAccessibleName(QStringLiteral("Total Calls"));
    Label2[1]->setAccessibleName(QStringLiteral("Total Blocked"));
    Label2[0]->setAccessibleDescription(Label2[0]->text());
    Label2[1]->setAccessibleDescription(Label2[1]->text());

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setScaledContents(true);
    Image1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Image1->setLineWidth(1);
    placeTwips(Image1, 240, 240, 1935, 1560);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(m_context.platform.timerIntervalMs);

    // Labels and shapes take no focus; the buttons and the log follow their tab order.
    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Command6);
    setTabOrder(Command6, Command5);
    setTabOrder(Command5, Command3);
    setTabOrder(Command3, Command4);
    setTabOrder(Command4, Command8);
    setTabOrder(Command8, Text1);
    setTabOrder(Text1, Command7);
}

void Form1::Form_Load()
{
    AppState& state = m_context.state;
    state.AppPath = m_context.platform.folders.dataFolder;
    state.ShippedPath = m_context.platform.folders.shippedFolder;
    // A missing or broken blank.bmp only leaves the picture box empty.
    showPicture(QDir(state.ShippedPath).filePath(QStringLiteral("blank.bmp")));
    Image1->setVisible(true);
    try {
        m_context.store.LoadSettings();
        m_context.store.LoadPhoneBook();
    } catch (const RuntimeError&) {
        takeFirstRunPath();
        return;
    }
    showModeless();
}

void Form1::takeFirstRunPath()
{
    m_context.state.CommPort.clear();
    m_context.state.AgreementPending = true;
    setFormEnabled(false);
    // The first touch loads the configuration window, whose load step shows the agreement.
    Form2& form2 = m_context.forms.form2();
    form2.setFormEnabled(true);
    form2.showModeless();
    hide();
    form2.Command1->setEnabled(false);
    form2.Command3->setEnabled(false);
}

void Form1::Form_Unload()
{
    closePort();
    m_context.platform.end.endNow(EXIT_SUCCESS);
}

void Form1::closePort()
{
    if (MSComm1->portOpen())
        MSComm1->close();
}

void Form1::Command1_Click()
{
    m_monitor.Command1_Click();
}

void Form1::Command2_Click()
{
    setLogText(QString());
    setCount(Label2[0], QStringLiteral("0"));
    setCount(Label2[1], QStringLiteral("0"));
    m_context.state.TotalCalls = 0;
    m_context.state.LogEntryCount = 0;
    m_monitor.markCallsSaved();
}

void Form1::Command3_Click()
{
    if (Command1->text() == kDeactivateCaption) {
        m_context.platform.messages.showLater(
            this, QStringLiteral("please deactivate halvoren first!"), MessageIcon::Exclamation);
        return;
    }
    Form2& form2 = m_context.forms.form2();
    form2.setFormEnabled(true);
    form2.Command7->setEnabled(false);
    form2.showModeless();
    setFormEnabled(false);
    form2.Label3->setText(
        QStringLiteral("You can re-detect your communication ports if you wish."));
}

void Form1::Command4_Click()
{
    const QString readme = QDir(m_context.state.ShippedPath).filePath(QStringLiteral("readme.txt"));
    const QString shownPath = QDir::toNativeSeparators(readme);
    MessageBoxes& messages = m_context.platform.messages;
    if (!QFileInfo(readme).isFile()) {
        messages.showLater(this, QStringLiteral("The help file %1 was not found.").arg(shownPath),
            MessageIcon::Exclamation);
        return;
    }
    const QPointer<Form1> self(this);
    m_context.platform.launcher.openTextFile(readme, [self, readme] {
        if (!self)
            return;
        if (!self->m_readme)
            self->m_readme = new ReadmeWindow(readme);
        self->m_readme->show();
        self->m_readme->raise();
        self->m_readme->activateWindow();
    });
}

void Form1::Command5_Click()
{
    saveLog();
}

bool Form1::saveLog()
{
    if (!m_context.store.SaveCallLog(logText()))
        return false;
    m_monitor.markCallsSaved();
    return true;
}

void Form1::Command6_Click()
{
    const QString error = m_context.platform.printer.print(logText());
    if (!error.isEmpty()) {
        m_context.platform.messages.showLater(this,
            QStringLiteral("The log was not printed.\n%1").arg(error), MessageIcon::Exclamation);
    }
}

void Form1::Command7_Click()
{
    m_context.forms.form4().showModeless();
    setFormEnabled(false);
}

void Form1::Command8_Click()
{
    m_context.forms.phonebook().showModal(*this);
}

void Form1::Form_Click()
{
    setFocus();
}

void Form1::Text1_Click()
{
    // A disabled control cannot hold the focus. Its move to the window is not the user leaving
    // the log box, so the window keeps the focus until the user moves it.
    Text1->setLogEnabled(false);
    setFocus();
    m_logDisabledByClick = true;
}

void Form1::Text1_LostFocus()
{
    Text1->setLogEnabled(true);
}

void Form1::logFocusChanged()
{
    if (!m_logDisabledByClick)
        return;
    m_logDisabledByClick = false;
    Text1_LostFocus();
}

void Form1::Timer1_Timer()
{
    m_monitor.Timer1_Timer();
}

void Form1::frameClosed()
{
    if (!m_monitor.hasUnsavedCalls()) {
        Form::frameClosed();
        return;
    }
    if (m_closeAsked)
        return;
    m_closeAsked = true;
    QPointer<Form1> self(this);
    m_context.platform.messages.askToSave(this,
        QStringLiteral("The call log holds calls that were not saved."),
        QStringLiteral("&Save log"), QStringLiteral("Close &without saving"),
        [this, self](SaveChoice choice) {
            if (!self)
                return;
            m_closeAsked = false;
            if (choice == SaveChoice::Cancel)
                return;
            // A failed save has been reported; the window stays open with its calls.
            if (choice == SaveChoice::Save && !saveLog())
                return;
            Form::frameClosed();
        });
}

void Form1::mouseReleaseEvent(QMouseEvent* event)
{
    Form::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())
        && !childAt(event->position().toPoint()))
        Form_Click();
}

QString Form1::logText() const
{
    return Text1->logText();
}

void Form1::setLogText(const QString& text)
{
    Text1->setLogText(text);
}

void Form1::appendLog(const QString& text)
{
    Text1->appendLog(text);
}

void Form1::focusLog()
{
    // A disabled control takes no focus.
    if (Text1->isLogEnabled())
        Text1->setFocus();
}

void Form1::showLogEnd()
{
    Text1->showEnd();
}

void Form1::setCaption(const QString& caption)
{
    const bool changed = caption != windowTitle();
    setWindowTitle(caption);
    // Qt does not report a new title itself; a screen reader reads the window's name anew.
    if (changed) {
        QAccessibleEvent event(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

void Form1::restoreIfMinimized()
{
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
}

void Form1::disableWindow()
{
    setFormEnabled(false);
}

void Form1::setActivateCaption(const QString& caption)
{
    Command1->setText(caption);
}

void Form1::setConfigAndPhonebookEnabled(bool enabled)
{
    Command3->setEnabled(enabled);
    Command8->setEnabled(enabled);
}

void Form1::setTotalCallsCaption(const QString& caption)
{
    setCount(Label2[0], caption);
}

QString Form1::blockedCallsCaption() const
{
    return Label2[1]->text();
}

void Form1::setBlockedCallsCaption(const QString& caption)
{
    setCount(Label2[1], caption);
}

void Form1::setCount(QLabel* counter, const QString& caption)
{
    counter->setText(caption);
    // The count is the counter's description, so a screen reader reads "Total Calls 3".
    counter->setAccessibleDescription(caption);
}

bool Form1::showPicture(const QString& file)
{
    const std::optional<QImage> picture = m_context.platform.pictures.load(file);
    if (!picture) {
        Image1->clear();
        return false;
    }
    Image1->setPixmap(QPixmap::fromImage(*picture));
    return true;
}

void Form1::clearPicture()
{
    Image1->clear();
}

void Form1::setTimerEnabled(bool enabled)
{
    // Starting a running QTimer restarts its period, as enabling a timer control does.
    if (enabled)
        Timer1->start();
    else
        Timer1->stop();
}

void Form1::showPortInUse(const QString& cause)
{
    const QString text = QStringLiteral("The modem port is currently in use.");
    m_context.platform.messages.showModal(this,
        cause.isEmpty() ? text : text + QStringLiteral("\n\n") + cause, MessageIcon::Exclamation);
}

void Form1::showNotResponding()
{
    m_context.platform.messages.showModal(this,
        QStringLiteral("This modem is not responding to V90 caller ID commands."),
        MessageIcon::Exclamation);
}
