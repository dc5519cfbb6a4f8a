#include "Phonebook.h"

#include "ControlFocus.h"
#include "platform/Launcher.h"
#include "platform/MessageBoxes.h"
#include "platform/PictureLoader.h"
#include "platform/Platform.h"
#include "platform/SoundPlayer.h"
#include "state/AppState.h"
#include "state/DataStore.h"
#include "windows/AppContext.h"
#include "windows/AppFonts.h"
#include "windows/Controls.h"
#include "windows/RectangleShape.h"
#include "windows/config/Form2.h"
#include "windows/config/Form3.h"
#include "windows/main/Form1.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QScrollBar>
#include <cmath>
#include <limits>

namespace {

const QString kBlocked = QStringLiteral("B");
const QString kNotBlocked = QStringLiteral("N");

QLabel* makeImage(QWidget* form, const char* name)
{
    auto* image = Controls::make<QLabel>(form, QLatin1String(name));
    image->setScaledContents(true);
    return image;
}

// The whole text must read as one number under the user's locale; "inf" and "nan" are no
// phone numbers even though the conversion accepts them.
bool isNumeric(const QString& text)
{
    bool ok = false;
    const double value = QLocale().toDouble(text, &ok);
    return ok && std::isfinite(value);
}

} // namespace

Phonebook::Phonebook(AppContext& context)
    : Form(context)
{
    setObjectName(QStringLiteral("Phonebook"));
    setWindowTitle(QStringLiteral("Phonebook"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowIcon(QIcon(QStringLiteral(":/icons/phonebook.png")));
    setClientSizeTwips(5745, 2055);
    createControls();
    layOut();
    connectEvents();
    Command5->setFocus();
}

void Phonebook::createControls()
{
    // Frames, pictures and labels first, so the controls that take input lie above them.
    Shape3 = Controls::make<RectangleShape>(this, QStringLiteral("Shape3"));
    Image1 = makeImage(this, "Image1");
    Image1->setPixmap(QPixmap(QStringLiteral(":/icons/phonebook.png")));
    Image2 = makeImage(this, "Image2");
    Label3 = Controls::label(this, QStringLiteral("Label3"), QStringLiteral("Preview:"));
    Label3->setFont(AppFonts::msSansSerifItalic(8.25));
    const QFont bold = AppFonts::msSansSerif(8.25, true);
    Label5 = Controls::label(this, QStringLiteral("Label5"), QStringLiteral("Entry#1"));
    Label5->setFont(bold);
    Label1 = Controls::label(this, QStringLiteral("Label1"), QStringLiteral("Phone Number:"));
    Label1->setFont(bold);
    Label6 = Controls::label(this, QStringLiteral("Label6"), QStringLiteral("Shows Picture:"));
    Label6->setFont(bold);
    Label2 = Controls::label(this, QStringLiteral("Label2"), QStringLiteral("Plays wav file:"));
    Label2->setFont(bold);

    Command5 = Controls::make<QPushButton>(
        this, QStringLiteral("Command5"), QStringLiteral("&Recorder"));
    Check1
        = Controls::make<QCheckBox>(this, QStringLiteral("Check1"), QStringLiteral("Blocked call"));
    Check1->setEnabled(false);
    Text1 = Controls::make<QLineEdit>(this, QStringLiteral("Text1"));
    Text1->setMaxLength(std::numeric_limits<int>::max());
    VScroll1 = Controls::make<QScrollBar>(this, QStringLiteral("VScroll1"));
    VScroll1->setOrientation(Qt::Vertical);
    VScroll1->setRange(1, 5);
    VScroll1->setSingleStep(1);
    VScroll1->setPageStep(1);
    VScroll1->setValue(1);
    // The entry changes when the thumb is released, not at every step of a drag.
    VScroll1->setTracking(false);
    // Turning the wheel over it moves to another entry, so it takes the focus as a click does.
    VScroll1->setFocusPolicy(Qt::WheelFocus);
    VScroll1->setAccessibleName(QStringLiteral("Entry"));
    Text3 = Controls::make<QLineEdit>(this, QStringLiteral("Text3"));
    Command9 = Controls::make<QPushButton>(this, QStringLiteral("Command9"), QStringLiteral("..."));
    Command9->setAccessibleName(QStringLiteral("Locate picture file"));
    Text2 = Controls::make<QLineEdit>(this, QStringLiteral("Text2"));
    Command1 = Controls::make<QPushButton>(this, QStringLiteral("Command1"), QStringLiteral("..."));
    Command1->setAccessibleName(QStringLiteral("Locate wav file"));
    Check2
        = Controls::make<QCheckBox>(this, QStringLiteral("Check2"), QStringLiteral("Auto Update"));
    Check3 = Controls::make<QCheckBox>(
        this, QStringLiteral("Check3"), QStringLiteral("Enable Blocking"));
    Command6 = Controls::make<QPushButton>(
        this, QStringLiteral("Command6"), QStringLiteral("D&elete entry"));
    Command6->setFont(bold);
    Command3 = Controls::make<QPushButton>(
        this, QStringLiteral("Command3"), QStringLiteral("S&ave Phonebook"));
    Command3->setEnabled(false);
    Command2
        = Controls::make<QPushButton>(this, QStringLiteral("Command2"), QStringLiteral("&Done"));
    Controls::labelFor(Label1, Text1);
    Controls::labelFor(Label6, Text3);
    Controls::labelFor(Label2, Text2);
}

void Phonebook::layOut()
{
    placeTwips(Shape3, 120, 120, 1095, 975);
    placeTwips(Image1, 360, 240, 600, 480);
    placeTwips(Command5, 240, 720, 855, 255);
    placeTwips(Label3, 1440, 120, 615, 255);
    placeTwips(Image2, 2160, 0, 615, 495);
    placeTwips(Label5, 3000, 240, 855, 255);
    placeTwips(Check1, 4080, 240, 1215, 195);
    placeTwips(Label1, 1560, 600, 1335, 255);
    placeTwips(Text1, 3000, 600, 2055, 285);
    placeTwips(VScroll1, 5400, 600, 255, 975);
    placeTwips(Label6, 1560, 960, 1335, 255);
    placeTwips(Text3, 3000, 960, 2055, 285);
    placeTwips(Command9, 5040, 960, 255, 255);
    placeTwips(Label2, 1560, 1320, 1335, 255);
    placeTwips(Text2, 3000, 1320, 2055, 285);
    placeTwips(Command1, 5040, 1320, 255, 255);
    placeTwips(Check2, 120, 1320, 1215, 255);
    placeTwips(Check3, 120, 1680, 1455, 255);
    placeTwips(Command6, 2160, 1680, 1215, 255);
    placeTwips(Command3, 3360, 1680, 1455, 255);
    placeTwips(Command2, 4800, 1680, 855, 255);

    QWidget* const tabOrder[] = { Command5, Text1, Text3, Text2, Command6, Command3, Command2,
        Command9, Command1, Check1, VScroll1, Check2, Check3 };
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
}

void Phonebook::connectEvents()
{
    connect(VScroll1, &QScrollBar::valueChanged, this, &Phonebook::VScroll1_Change);
    connect(Text1, &QLineEdit::textChanged, this, &Phonebook::Text1_Change);
    connect(Text2, &QLineEdit::textChanged, this, &Phonebook::Text2_Change);
    connect(Text3, &QLineEdit::textChanged, this, &Phonebook::Text3_Change);
    new ControlFocus(Text1, [this] { return Text1_Validate(); });
    connect(new ControlFocus(Text2), &ControlFocus::left, this, &Phonebook::Text2_LostFocus);
    connect(Check1, &QCheckBox::stateChanged, this, &Phonebook::Check1_Click);
    connect(Check2, &QCheckBox::stateChanged, this, &Phonebook::Check2_Click);
    connect(Check3, &QCheckBox::stateChanged, this, &Phonebook::Check3_Click);
    connect(Command6, &QPushButton::clicked, this, &Phonebook::Command6_Click);
    connect(Command3, &QPushButton::clicked, this, &Phonebook::Command3_Click);
    connect(Command2, &QPushButton::clicked, this, &Phonebook::Command2_Click);
    connect(Command5, &QPushButton::clicked, this, &Phonebook::Command5_Click);
    connect(Command1, &QPushButton::clicked, this, &Phonebook::Command1_Click);
    connect(Command9, &QPushButton::clicked, this, &Phonebook::Command9_Click);
}

void Phonebook::setText2(const QString& text)
{
    Controls::setText(Text2, text);
}

void Phonebook::setText3(const QString& text)
{
    Controls::setText(Text3, text);
}

void Phonebook::Form_Load()
{
    const AppState& state = m_context.state;
    const PhoneBook& book = state.Book;
    CurrentEntry = 1;
    Controls::setText(Text1, book.PhoneNumber(1));
    Controls::setText(Text2, book.WavFile(1));
    Controls::setText(Text3, book.PictureFile(1));
    Check1->setChecked(book.BlockFlag(1) == kBlocked);
    if (state.AutoUpdate)
        Check2->setChecked(true);
    Check3->setChecked(state.BlockingEnabled);
}

void Phonebook::VScroll1_Change()
{
    const PhoneBook& book = m_context.state.Book;
    CurrentEntry = VScroll1->value();
    Label5->setText(QStringLiteral("Entry#%1").arg(static_cast<int>(CurrentEntry)));
    // Each assignment runs its Change procedure, which writes the value back into the new entry.
    Controls::setText(Text1, QString(book.PhoneNumber(CurrentEntry)));
    Controls::setText(Text2, QString(book.WavFile(CurrentEntry)));
    Controls::setText(Text3, QString(book.PictureFile(CurrentEntry)));
    Check1->setChecked(book.BlockFlag(CurrentEntry) == kBlocked);
    if (Text1->text().isEmpty()) {
        Controls::setText(Text2, QString());
        Controls::setText(Text3, QString());
    }
}

void Phonebook::Text1_Change()
{
    m_context.state.Book.PhoneNumber(CurrentEntry) = Text1->text();
    Command3->setEnabled(true);
}

void Phonebook::Text2_Change()
{
    m_context.state.Book.WavFile(CurrentEntry) = Text2->text();
    Command3->setEnabled(true);
}

void Phonebook::Text3_Change()
{
    const QString path = Text3->text();
    m_context.state.Book.PictureFile(CurrentEntry) = path;
    // A path still being typed, or no picture at all, shows no picture rather than the one
    // before, which may be another entry's.
    const std::optional<QImage> picture
        = path.isEmpty() ? std::nullopt : m_context.platform.pictures.load(path);
    if (picture)
        Image2->setPixmap(QPixmap::fromImage(*picture));
    else
        Image2->clear();
}

bool Phonebook::Text1_Validate()
{
    const QString text = Text1->text();
    if (text.isEmpty() || isNumeric(text))
        return true;
    // Spelling as users know it.
    m_context.platform.messages.showModal(
        this, QStringLiteral("Phone numbers are suppose to be numbers."), MessageIcon::Information);
    Text1->setText(QString());
    // The message box took the activation; without a window manager nothing hands it back.
    activateWindow();
    Text1->setFocus(Qt::OtherFocusReason);
    return false;
}

void Phonebook::Text2_LostFocus()
{
    // A disabled button cannot take the focus; it then stays where the user sent it.
    if (Command3->isEnabled())
        Command3->setFocus(Qt::OtherFocusReason);
}

void Phonebook::Check1_Click(int state)
{
    QString& mark = m_context.state.Book.BlockFlag(CurrentEntry);
    if (state == Qt::Checked)
        mark = kBlocked;
    else if (state == Qt::Unchecked)
        mark = kNotBlocked;
    Command3->setEnabled(true);
}

void Phonebook::Check2_Click()
{
    AppState& state = m_context.state;
    state.AutoUpdate = Check2->isChecked();
    m_context.store.SaveSettings(state.CommPort);
}

void Phonebook::Check3_Click()
{
    AppState& state = m_context.state;
    state.BlockingEnabled = Check3->isChecked();
    Check1->setEnabled(state.BlockingEnabled);
    m_context.store.SaveSettings(state.CommPort);
}

void Phonebook::Command6_Click()
{
    Text1->setText(QString());
    Text2->setText(QString());
    Text3->setText(QString());
    Check1->setChecked(false);
    PhoneBook& book = m_context.state.Book;
    book.WavFile(CurrentEntry).clear();
    book.PhoneNumber(CurrentEntry).clear();
    book.BlockFlag(CurrentEntry).clear();
}

void Phonebook::Command3_Click()
{
    if (m_context.state.CommPort.isEmpty()) {
        Label3->setText(QStringLiteral("Please select a comm port"));
        m_context.platform.sound.beep();
        return;
    }
    // A failed write has been reported; the editor stays open with its entries.
    if (!m_context.store.SavePhoneBook())
        return;
    // Both windows are destroyed only after this click and any showModal() waiting on them have
    // returned.
    FormRegistry& forms = m_context.forms;
    forms.unload(*this);
    if (Form2* form2 = forms.loadedForm2())
        forms.unload(*form2);
    Form1& form1 = forms.form1();
    form1.showModeless();
    form1.setFormEnabled(true);
}

void Phonebook::Command2_Click()
{
    hide();
}

void Phonebook::escapePressed()
{
    // As the access key of "&Done" does: the focus goes to it first, and a refused phone number
    // keeps the window open.
    Command2->setFocus(Qt::ShortcutFocusReason);
    if (Command2->hasFocus())
        Command2->click();
}

void Phonebook::Command5_Click()
{
    Launcher& launcher = m_context.platform.launcher;
    if (!launcher.startRecorder()) {
        m_context.platform.messages.showModal(this,
            QStringLiteral("No sound recorder could be started (tried %1). Install a sound "
                           "recorder program to record wav files.")
                .arg(launcher.recorders().join(QStringLiteral(", "))),
            MessageIcon::Exclamation);
    }
}

void Phonebook::Command1_Click()
{
    showLocator(QStringLiteral("*.wav"), QStringLiteral("Locate wav files"), Text2->text());
}

void Phonebook::Command9_Click()
{
    showLocator(
        QStringLiteral("*.bmp;*.jpg"), QStringLiteral("Locate picture files"), Text3->text());
}

void Phonebook::showLocator(
    const QString& pattern, const QString& caption, const QString& currentFile)
{
    Form3& locator = m_context.forms.form3();
    locator.setFilePattern(pattern);
    locator.openIn(currentFile);
    locator.setWindowTitle(caption);
    locator.showModal(*this);
}
