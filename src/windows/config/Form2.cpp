#include "Form2.h"

#include "Fr.h"
#include "Version.h"
#include "monitor/PortDetection.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "platform/ProgramEnd.h"
#include "platform/SerialLink.h"
#include "state/AppState.h"
#include "state/DataStore.h"
#include "state/RuntimeError.h"
#include "windows/AppContext.h"
#include "windows/AppFonts.h"
#include "windows/Controls.h"
#include "windows/main/Form1.h"
#include "windows/main/Form4.h"
#include "windows/phonebook/Phonebook.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

const QString kNoPortSelected = QStringLiteral("No Port Selected");

} // namespace

Form2::Form2(AppContext& context)
    : Form(context)
    , MSComm0(context.platform.makeSerialLink())
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral(" Halvoren " HALVOREN_VERSION " configuration menu"));
    setClientSizeTwips(5355, 1680);
    createControls();
    DetectionView& view = *this;
    m_detection = std::make_shared<PortDetection>(
        context.state, view, *MSComm0, context.platform.pump, context.platform.end);

    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form2::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form2::Command3_Click);
    // Queued, so that the scan runs outside the button's own event: a Cancel during the scan may
    // then destroy the window without pulling a running event handler away under it.
    connect(Command4, &QPushButton::clicked, this, &Form2::Command4_Click, Qt::QueuedConnection);
    connect(Command7, &QPushButton::clicked, this, &Form2::Command7_Click);
    connect(Command8, &QPushButton::clicked, this, &Form2::Command8_Click);
    connect(Combo1, &QComboBox::activated, this, &Form2::Combo1_Click);
    connect(Timer1, &QTimer::timeout, this, &Form2::Timer1_Timer);
}

Form2::~Form2()
{
    m_detection->abandon();
}

void Form2::createControls()
{
    const QFont bold = AppFonts::msSansSerif(8.25, true);

    Shape2 = new QFrame(this);
    Shape2->setObjectName(QStringLiteral("Shape2"));
    Shape2->setFrameStyle(QFrame::Box | QFrame::Plain);
    Shape2->setAttribute(Qt::WA_TransparentForMouseEvents);
    placeTwips(Shape2, 120, 120, 1815, 1095);

    Command3
        = Controls::make<QPushButton>(this, QStringLiteral("Command3"), QStringLiteral("&Done"));
    placeTwips(Command3, 3720, 1320, 1095, 255);
    Command1 = Controls::make<QPushButton>(
        this, QStringLiteral("Command1"), QStringLiteral("Phonebook"));
    placeTwips(Command1, 2520, 1320, 1095, 255);
    Command2
        = Controls::make<QPushButton>(this, QStringLiteral("Command2"), QStringLiteral("&Cancel"));
    placeTwips(Command2, 1320, 1320, 1095, 255);
    Command8 = Controls::make<QPushButton>(this, QStringLiteral("Command8"), QStringLiteral("?"));
    Command8->setFont(bold);
    Command8->setAccessibleName(QStringLiteral("About Halvoren"));
    placeTwips(Command8, 4920, 1320, 255, 255);
    Command7 = Controls::make<QPushButton>(
        this, QStringLiteral("Command7"), QStringLiteral("&Save config"));
    Command7->setEnabled(false);
    placeTwips(Command7, 120, 1320, 1095, 255);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(m_context.platform.timerIntervalMs);

    Command4
        = Controls::make<QPushButton>(this, QStringLiteral("Command4"), QStringLiteral("&Detect"));
    Command4->setFont(bold);
    placeTwips(Command4, 240, 840, 1575, 255);

    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setEditable(true);
    // The list holds only detected ports, and typing is only typing: the text is never added to
    // the list, never completed from it, and never picks the item it happens to name.
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->setDuplicatesEnabled(true);
    Combo1->setCompleter(nullptr);
    disconnect(Combo1->lineEdit(), &QLineEdit::editingFinished, Combo1, nullptr);
    // The line edit's own margins would cut the last letter of "No Port Selected" at the box's
    // designed width.
    Combo1->lineEdit()->setTextMargins(-1, 0, -3, 0);
    Controls::setEditText(Combo1, QStringLiteral("No port selected"));
    placeTwips(Combo1, 240, 480, 1575, 315);

    Label4 = new QLabel(QStringLiteral("Modem Comm Port"), this);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setFont(bold);
    placeTwips(Label4, 240, 240, 1575, 255);
    Controls::labelFor(Label4, Combo1);

    Label3 = new QLabel(QStringLiteral("Help Captions"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setTextFormat(Qt::PlainText);
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label3->setWordWrap(true);
    placeTwips(Label3, 2160, 120, 3015, 975);

    QWidget::setTabOrder(Command4, Command7);
    QWidget::setTabOrder(Command7, Command8);
    QWidget::setTabOrder(Command8, Command2);
    QWidget::setTabOrder(Command2, Combo1);
    QWidget::setTabOrder(Combo1, Command1);
    QWidget::setTabOrder(Command1, Command3);
    Command4->setFocus();
}

void Form2::Form_Load()
{
    Command7->setEnabled(false);
    AppState& state = m_context.state;
    if (state.CommPort.isEmpty()) {
        Controls::setEditText(Combo1, kNoPortSelected);
        Label3->setText(QStringLiteral("There is no comm port selected."));
    } else {
        Controls::setEditText(Combo1, state.CommPort);
    }
    if (state.AgreementPending) {
        state.AgreementPending = false;
        m_context.forms.fr().showModal(*this);
    }
}

void Form2::Form_Unload()
{
    m_detection->abandon();
    closePort();
    enableMainWindow();
    // At first run the main window is still hidden; leaving this window must not leave the
    // program running with no window to show for it.
    Form1* form1 = m_context.forms.loadedForm1();
    if (form1 && !form1->isVisible())
        form1->showModeless();
}

void Form2::closePort()
{
    if (MSComm0->portOpen())
        MSComm0->close();
}

void Form2::Combo1_Click()
{
    m_context.state.CommPort = Combo1->currentText();
}

void Form2::Command1_Click()
{
    m_context.forms.phonebook().showModal(*this);
}

void Form2::Command2_Click()
{
    if (m_context.state.SettingsSaved) {
        enableMainWindow();
        hide();
        m_context.forms.unload(*this);
    } else {
        m_context.forms.unload(*this);
        m_context.platform.end.endNow(EXIT_SUCCESS);
    }
}

void Form2::Command3_Click()
{
    hide();
    Form1& form1 = m_context.forms.form1();
    form1.setFormEnabled(true);
    form1.showModeless();
}

void Form2::Command4_Click()
{
    const std::shared_ptr<PortDetection> detection = m_detection;
    detection->Command4_Click();
}

void Form2::Command7_Click()
{
    const QString port = Combo1->currentText();
    if (port == kNoPortSelected || port.isEmpty()) {
        m_context.platform.messages.showModal(
            this, QStringLiteral("Please select a comm port"), MessageIcon::Exclamation);
        return;
    }
    // A failed write has been reported; with no settings on disk the program is not ready.
    if (!m_context.store.SaveSettings(port))
        return;
    if (writePhoneBookIfMissing())
        reloadPhoneBook();
    Label3->setText(
        QStringLiteral("Halvoren is ready to continue\r\nYou can now edit your phone list\r\n"));
    Command1->setEnabled(true);
    Command3->setEnabled(true);
}

void Form2::Command8_Click()
{
    setFormEnabled(false);
    m_context.forms.form4().showModeless();
}

void Form2::Timer1_Timer()
{
    m_detection->Timer1_Timer();
}

void Form2::frameClosed()
{
    Command2_Click();
}

void Form2::escapePressed()
{
    // Pressing a disabled "&Done" does nothing.
    Command3->click();
}

bool Form2::writePhoneBookIfMissing()
{
    // Without a phone book file the next start would take the saved configuration for a first run.
    DataStore& store = m_context.store;
    return store.phoneBookExists() || store.SavePhoneBook();
}

void Form2::reloadPhoneBook()
{
    DataStore& store = m_context.store;
    try {
        store.LoadPhoneBook();
    } catch (const RuntimeError& error) {
        m_context.platform.messages.showModal(this,
            QStringLiteral("Could not read %1:\n%2")
                .arg(store.phoneBookPath(), QString::fromStdString(error.what())),
            MessageIcon::Exclamation);
    }
}

void Form2::enableMainWindow()
{
    if (Form1* form1 = m_context.forms.loadedForm1())
        form1->setFormEnabled(true);
}

void Form2::setHelpCaption(const QString& caption)
{
    Label3->setText(caption);
}

void Form2::clearPortList()
{
    const QString text = Combo1->currentText();
    Combo1->clear();
    Controls::setEditText(Combo1, text);
}

void Form2::addPortItem(const QString& item)
{
    // Listing a port leaves the text in the box as it is, and no item chosen.
    const QString text = Combo1->currentText();
    Combo1->addItem(item);
    Combo1->setCurrentIndex(-1);
    Controls::setEditText(Combo1, text);
}

void Form2::focusPortList()
{
    if (isVisible() && isFormEnabled())
        Combo1->setFocus();
}

void Form2::enableSaveConfig()
{
    Command7->setEnabled(true);
}

void Form2::setTimerEnabled(bool enabled)
{
    if (enabled)
        Timer1->start();
    else
        Timer1->stop();
}

void Form2::disableWindow()
{
    setFormEnabled(false);
}

void Form2::unloadWindow()
{
    m_context.forms.unload(*this);
}
