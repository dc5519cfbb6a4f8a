#include "app/Fr.h"
#include "app/Halvoren.h"
#include "platform/QtLauncher.h"
#include "state/DataStore.h"
#include "support/ModalAnswer.h"
#include "support/ScriptedPump.h"
#include "support/ScriptedSerialLink.h"
#include "support/TestApp.h"
#include "windows/AppFonts.h"
#include "windows/config/Form2.h"
#include "windows/config/Form3.h"
#include "windows/main/Form1.h"
#include "windows/main/Form4.h"
#include "windows/main/LogBox.h"
#include "windows/phonebook/Phonebook.h"

#include <QtTest>
#include <QtWidgets>

namespace {

const QString kPortsFound = "Done checking ports\r\nPlease select a port\r\nand save configuration";
const QString kNoModem
    = "Done checking ports\r\nNo modems were detected\r\nHalvoren can not continue";
const QString kNoModemKept
    = "Done checking ports\r\nNo modems were detected\r\nYour saved port is kept";

// Dark pixels of a control as drawn: more for bold or underlined text.
int ink(QWidget* control)
{
    auto* area = qobject_cast<QAbstractScrollArea*>(control);
    const QImage image = (area ? area->viewport() : control)->grab().toImage();
    int dark = 0;
    for (int i = 0; i < image.width() * image.height(); ++i)
        dark += qGray(image.pixel(i % image.width(), i / image.width())) < 96;
    return dark;
}

// Entries 1 to 5 as "number|mark|picture|wav" joined by ";", empty entries at the end left out.
QString entries(const PhoneBook& book)
{
    QStringList all;
    for (int i = 1; i <= 5; ++i)
        all << book.PhoneNumber(i) + '|' + book.BlockFlag(i) + '|' + book.PictureFile(i) + '|'
                + book.WavFile(i);
    return all.join(';').remove(QRegularExpression("(^\\|\\|\\|)?(;\\|\\|\\|)*$"));
}

// Serial ports for detection, as "1= 2=! 3=O,K\r,\n 4=@3 5=-": port 1 is silent, writing to port
// 2 fails, port 3 answers in three reads, port 4 answers "OK" CR LF at the third pass of the wait,
// the user may not open port 5; other ports do not exist.
class PortRack : public ScriptedSerialLink
{
public:
    void open() override
    {
        if (replies.value(commPort) == QStringList { "-" }) {
            throw RuntimeError("Permission denied",
                QString("Port %1 (/dev/ttyS%1): Permission denied.\nUse the group.").arg(commPort),
                RuntimeError::Kind::PortNotPermitted);
        }
        openFails = !replies.contains(commPort);
        unplugged = false;
        ScriptedSerialLink::open();
    }

    void output(const QString& text) override
    {
        unplugged = replies.value(commPort) == QStringList { "!" };
        ScriptedSerialLink::output(text);
        for (const QString& chunk : replies.value(commPort))
            incoming.push_back(chunk.startsWith('@') ? QString() : chunk);
    }

    QMap<int, QStringList> replies;
};

} // namespace

// The program's windows: the main window and the About box, start-up and the agreement, the
// configuration window with port detection, the phone book editor and the file locator; and
// what every window shares: captions, tab order, keys, bold text, owners, disabled looks.
class TestMainWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestApp> m_app = std::make_unique<TestApp>();
    Form1* m_form1 = nullptr;
    QTemporaryDir m_tree;

    FormRegistry& forms() { return m_app->app().context().forms; }
    AppState& state() { return m_app->app().state(); }
    RecordingMessageBoxes& messages() { return m_app->platform().messages; }
    int ends() { return m_app->platform().end.ends; }
    template <class C> C* c(const QString& name) { return forms().phonebook().findChild<C*>(name); }

    // A program on port "com2:" whose phone book holds `book` as entries() gives it.
    void start(const QString& book = {})
    {
        m_app->writeSettings(QStringLiteral("com2:"));
        QByteArray file;
        for (const QString& e : (book + ";;;;").split(';').mid(0, 5))
            file += ("+|" + e + "|||").section('|', 0, 4).replace('|', "\r\n").toUtf8() + "\r\n";
        m_app->writeFile(QStringLiteral("phone.ini"), file);
        m_app->start();
        m_form1 = forms().loadedForm1();
        QVERIFY(QTest::qWaitForWindowActive(m_form1));
    }

    // The window named, loaded, shown and active.
    QWidget* window(const QString& name)
    {
        FormRegistry& f = forms();
        QWidget* form = name == "Form2" ? &f.form2()
            : name == "Form3"           ? &f.form3()
            : name == "Form4"           ? &f.form4()
            : name == "Fr"              ? &f.fr()
            : name == "Phonebook"       ? &f.phonebook()
                                        : static_cast<QWidget*>(m_form1);
        form->show();
        form->activateWindow();
        [&] { QVERIFY(QTest::qWaitForWindowActive(form)); }();
        return form;
    }

    // One action in the editor as a person takes it: "Text1=12a" clicks into the box and types
    // over its text, "press:Command6" presses a button and lets go over the message box, "tab",
    // "alt:a", "down:3" or "up" on the scroll bar's arrows, "drag:3" its thumb, or a control's name
    // to click it.
    void act(const QString& action)
    {
        const QString name = action.section(QRegularExpression("[=:]"), 0, 0);
        const QString arg = action.section(QRegularExpression("[=:]"), 1);
        Phonebook& editor = forms().phonebook();
        // A message box hands the activation back through the event loop.
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        QPointer<QAbstractButton> button = c<QAbstractButton>(name == "press" ? arg : name);
        for (QAbstractButton* keyed : editor.findChildren<QAbstractButton*>())
            button = name == "alt" && keyed->text().contains("&" + arg, Qt::CaseInsensitive)
                ? keyed
                : button.data();
        auto* bar = c<QScrollBar>("VScroll1");
        if (action.contains('=')) {
            QTest::mouseClick(c<QLineEdit>(name), Qt::LeftButton);
            QVERIFY(QTest::qWaitForWindowActive(&editor));
            qobject_cast<QLineEdit*>(QApplication::focusWidget())->selectAll();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
            QTest::keyClicks(QApplication::focusWidget(), arg);
        } else if (name == "tab" || name == "alt") {
            QTest::keyClick(QApplication::focusWidget(), name == "tab" ? '\t' : arg[0].toLatin1(),
                name == "tab" ? Qt::NoModifier : Qt::AltModifier);
        } else if (name == "down" || name == "up") {
            for (int i = 0; i < qMax(1, arg.toInt()); ++i)
                QTest::mouseClick(
                    bar, Qt::LeftButton, {}, QPoint(5, name == "up" ? 3 : bar->height() - 3));
        } else if (name == "drag") {
            // The thumb passes the entries between and is let go over the last.
            for (int i = 1; i <= arg.toInt(); ++i) {
                bar->setSliderPosition(i);
                bar->setSliderDown(i < arg.toInt());
            }
        } else if (name == "press") {
            QTest::mousePress(button, Qt::LeftButton);
            QTest::mouseRelease(&editor, Qt::LeftButton, {}, QPoint(2, 2));
        } else {
            QTest::mouseClick(button, Qt::LeftButton);
        }
        // A click or access key that a refused number cancelled leaves no button pressed; an
        // access key presses its button for a moment before it acts.
        QTRY_VERIFY(!button || !button->isDown());
    }

    // The first and the last line the log box shows, point by point down its viewport.
    std::pair<int, int> shownLines() const
    {
        std::pair<int, int> shown { -1, -1 };
        for (int y = m_form1->Text1->viewport()->height() - 1; y >= 0; --y) {
            const int line = m_form1->Text1->lineAt(QPoint(10, y));
            shown = line < 0 ? shown : std::pair(line, shown.second < 0 ? line : shown.second);
        }
        return shown;
    }

    QImage drawnLog() const { return m_form1->Text1->viewport()->grab().toImage(); }

private slots:
    void initTestCase()
    {
        AppFonts::install();
        QVERIFY(QDir(m_tree.path()).mkpath("sub"));
        for (const char* name : { "a.wav", "B.WAV", "c.bmp", "d.jpg", "e.txt", "sub/f.wav" })
            QVERIFY(QFile(m_tree.filePath(name)).open(QIODevice::WriteOnly));
        // The file locator starts in the process's folder.
        QDir::setCurrent(m_tree.path());
    }

    void cleanup()
    {
        m_app = std::make_unique<TestApp>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Per window: its caption and its controls' ("control=caption|..."); the order the Tab key
    // walks with every control enabled (Save stays disabled in the editor, as leaving the wav box
    // jumps to it; option buttons take the Tab key at the selected one); its bold controls, "_"
    // for underlined; and a button that Return, Enter and Space press.
    void windows_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::newRow("Form1")
            << "=Halvoren version 1.5|Command1=&Activate|Command8=Ph&onebook|Command2=&Clear "
               "log|Command6=&Print log|Command5=&Save log|Command3=Co&nfig|Command4=&Help|"
               "Command7=?|Label1[0]=Total Calls:|Label2[0]=0|Label1[1]=Total Blocked:|Label2[1]=0"
               "#Command1 Command2 Command6 Command5 Command3 Command4 Command8 Text1 Command7"
               "#Label1[0] Label2[0] Label1[1] Label2[1] Command7 Text1#Command2";
        QTest::newRow("Form4") << "=About Halvoren 1.5|Command1=&OK|Label1=Halvoren 1.5|Label2[0]="
                                  "Caller ID software for your V.90 modem|Label3=Shareware "
                                  "version#Command1#_Label3#Command1";
        QTest::newRow("Form2")
            << "= Halvoren 1.5 configuration menu|Command3=&Done|Command1=Phonebook|Command2="
               "&Cancel|Command8=?|Command7=&Save config|Command4=&Detect|Label4=Modem Comm "
               "Port|Label3=Help Captions#Command4 Command7 Command8 Command2 Combo1 Command1 "
               "Command3#Command4 Command8 Label4#Command7";
        QTest::newRow("Form3") << "=Locate wav files|Command2=&Select|Command1=&Cancel|Label3="
                                  "Directory:|Label2=Drive:|Label1=Filename:#File1 Drive1 "
                                  "Command1 Dir1 Command2##Command2";
        QTest::newRow("Phonebook")
            << "=Phonebook|Command5=&Recorder|Label3=Preview:|Label5=Entry#1|Check1=Blocked "
               "call|Label1=Phone Number:|Label6=Shows Picture:|Command9=...|Label2=Plays wav "
               "file:|Command1=...|Check2=Auto Update|Check3=Enable Blocking|Command6=D&elete "
               "entry|Command3=S&ave Phonebook|Command2=&Done#Command5 Text1 Text3 Text2 Command6 "
               "Command2 Command9 Command1 Check1 VScroll1 Check2 Check3#Label5 Label1 Label6 "
               "Label2 Command6#Command6";
        QTest::newRow("Fr")
            << "=Halvoren program software agreement|Option1=I &Agree|Option2=I &Do Not "
               "Agree|Option3=null|Command1=&Next >|Text1=WARNING By running this software you "
               "agree to the \nfollowing:\n1.Neither the programmer, testing personnel nor "
               "\nsoftware distributers are responsible for any problems \nthat may arise from "
               "running it.\n2.You the user of this software may not modify the \nsoftware "
               "product or re-distribute it in any modified \nform.\n#Option3 Command1##Command1";
    }

    void windows()
    {
        QFETCH(QString, layout);
        const QStringList part = layout.split('#').mid(layout.count('#') - 2);
        const QString captions = layout.left(layout.size() - part.join('#').size() - 1);
        start();
        m_form1->appendLog(QStringLiteral("Activated:\r\n12-24-2026 5551234567\r\n"));
        QWidget* form = window(QTest::currentDataTag());
        QStringList shown;
        for (const QString& pair : captions.split('|')) {
            const QString name = pair.section('=', 0, 0);
            const QWidget* control = name.isEmpty() ? form : form->findChild<QWidget*>(name);
            const char* text = control->inherits("QPlainTextEdit") ? "plainText" : "text";
            shown << name + '='
                    + control->property(name.isEmpty() ? "windowTitle" : text).toString();
        }
        QCOMPARE(shown.join('|'), captions);

        const QStringList order = part[0].split(' ', Qt::SkipEmptyParts);
        for (const QString& name : order)
            form->findChild<QWidget*>(name)->setEnabled(true);
        form->findChild<QWidget*>(order[0])->setFocus();
        QStringList walked;
        for (int i = 0; i <= order.size(); ++i) {
            QWidget* focused = QApplication::focusWidget();
            QTest::keyClick(focused, Qt::Key_Tab);
            walked << (focused->parentWidget()->isWindow() ? focused : focused->parentWidget())
                          ->objectName();
        }
        QCOMPARE(walked, order + order.mid(0, 1));

        // Qt can report a bold face and still draw regular outlines, so only the drawing tells.
        for (const QString& name : part[1].split(' ', Qt::SkipEmptyParts)) {
            auto* styled = form->findChild<QWidget*>(QString(name).remove('_'));
            const int styledInk = ink(styled);
            QFont plain = styled->font();
            name.startsWith('_') ? plain.setUnderline(false) : plain.setBold(false);
            styled->setFont(plain);
            QVERIFY2(styledInk * 10 > ink(styled) * 12, qPrintable(name));
        }

        for (int key : { Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space }) {
            auto* button = window(QTest::currentDataTag())->findChild<QPushButton*>(part[2]);
            button->setEnabled(true);
            button->setFocus();
            QSignalSpy clicks(button, &QPushButton::clicked);
            QTest::keyClick(button, Qt::Key(key));
            QVERIFY2(clicks.count() == 1, qPrintable(QString::number(key, 16)));
        }
        QVERIFY(!c<QLabel>("Image1")->pixmap().isNull() && !m_form1->Image1->pixmap().isNull());
    }

    // While the About box or the configuration window is open its opener looks as before, a
    // control the program disabled included, but takes no input and cannot be closed. Each row:
    // opener, its button, the window opened, that window's closing button, and a button of the
    // opener whose click would show.
    void disabledWhileOpen_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("About box") << "Form1 Command7 Form4 Command1 Command2";
        QTest::newRow("configuration window") << "Form1 Command3 Form2 Command3 Command2";
        QTest::newRow("About from configuration") << "Form2 Command8 Form4 Command1 Command2";
    }

    void disabledWhileOpen()
    {
        QFETCH(QString, path);
        const QStringList names = path.split(' ');
        start();
        QWidget* opener = window(names[0]);
        // As the monitor leaves it.
        m_form1->Command8->setEnabled(false);
        m_form1->appendLog(QStringLiteral("RING\r\n"));
        opener->findChild<QPushButton*>(names[1])->setFocus();
        const QImage before = opener->grab().toImage();
        QTest::mouseClick(opener->findChild<QPushButton*>(names[1]), Qt::LeftButton);
        QWidget* opened = names[2] == "Form4" ? static_cast<QWidget*>(forms().loadedForm4())
                                              : forms().loadedForm2();
        QVERIFY(opened && QTest::qWaitForWindowActive(opened));
        QTest::mouseClick(opener->findChild<QPushButton*>(names[4]), Qt::LeftButton);
        opener->close();
        QVERIFY(opener->isVisible() && ends() == 0);
        QCOMPARE(opener->grab().toImage(), before);

        QTest::mouseClick(opened->findChild<QPushButton*>(names[3]), Qt::LeftButton);
        QVERIFY(!opened->isVisible() && !forms().loadedForm4() && !m_form1->Command8->isEnabled());
        // Taking input again: "&Clear log" clears, "&Cancel" unloads; closing the main window
        // ends the program.
        QTest::mouseClick(opener->findChild<QPushButton*>(names[4]), Qt::LeftButton);
        QVERIFY(m_form1->logText().isEmpty() || !forms().loadedForm2());
        m_form1->close();
        QCOMPARE(m_app->platform().end.statuses, { 0 });
    }

    // Through the configuration window. The editor is owned by the window whose button opened
    // it, and shows paths the program puts into its boxes from their start. Save config, enabled
    // as a detection leaves it, refuses exactly "No Port Selected" typed over the port box,
    // writes whatever else is typed and keeps the port in memory. The editor's save unloads the
    // configuration window while that waits in its Phonebook procedure.
    void throughTheConfigurationWindow()
    {
        const QString path = QStringLiteral(HALVOREN_ASSETS_DIR) + QString("/.").repeated(60);
        start("1||" + path + "/blank.bmp|" + path);
        QList<QWindow*> owners;
        int cursors = 0;
        const auto answer = [&](Phonebook& shown) {
            owners << shown.windowHandle()->transientParent();
            cursors += c<QLineEdit>("Text2")->cursorPosition()
                + c<QLineEdit>("Text3")->cursorPosition() + c<QLabel>("Image2")->pixmap().isNull();
            QTest::mouseClick(
                c<QPushButton>(owners.size() == 1 ? "Command2" : "Command3"), Qt::LeftButton);
        };
        ModalAnswer<Phonebook> editor(answer, 2);
        QTest::mouseClick(m_form1->Command8, Qt::LeftButton);
        QTest::mouseClick(m_form1->Command3, Qt::LeftButton);
        QPointer<Form2> config = forms().loadedForm2();
        QVERIFY(QTest::qWaitForWindowActive(config));
        config->Command7->setEnabled(true);
        QStringList seen;
        for (const char* typed : { "No Port Selected", "No port selected" }) {
            config->Combo1->clearEditText();
            QTest::keyClicks(config->Combo1, typed);
            QTest::keyClick(config->Combo1, Qt::Key_S, Qt::AltModifier);
            QTRY_VERIFY(!config->Command7->isDown());
            seen << QString(m_app->readFile("cconfig.ini"))
                        .remove("\r\nAT+VCID=1\r\nFalse\r\nFalse\r\n")
                 << messages().texts.join(',') << config->Label3->text().section("\r\n", 0, 0);
        }
        QCOMPARE(seen.join('|'),
            "com2:|Please select a comm port|You can re-detect your communication ports if you "
            "wish.|No port selected|Please select a comm port|Halvoren is ready to continue");
        QVERIFY(
            state().CommPort == "com2:" && messages().icons.front() == MessageIcon::Exclamation);
        QTest::mouseClick(config->Command1, Qt::LeftButton);
        QCOMPARE(owners, QList<QWindow*>({ m_form1->windowHandle(), config->windowHandle() }));
        QCOMPARE(cursors, 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!forms().loadedPhonebook() && !config && m_form1->isVisible()
            && m_form1->isFormEnabled());
    }

    void mainWindowCommands()
    {
        start();
        m_form1->appendLog(QStringLiteral("RING\r\n"));
        m_form1->setTotalCallsCaption(QStringLiteral("3"));
        m_form1->setBlockedCallsCaption(QStringLiteral("1"));
        state().TotalCalls = state().LogEntryCount = 3;
        QTest::mouseClick(m_form1->Command5, Qt::LeftButton);
        QCOMPARE(m_app->readFile("ccalls.log"), "RING\r\n\r\n");
        QTest::mouseClick(m_form1->Command6, Qt::LeftButton);
        QVERIFY(QFileInfo(m_app->platform().printedPdf()).size() > 0);
        QTest::mouseClick(m_form1->Command2, Qt::LeftButton);
        QCOMPARE(m_form1->Label2[0]->text() + m_form1->Label2[1]->text(), "00");
        QVERIFY(m_form1->logText().isEmpty() && state().TotalCalls + state().LogEntryCount == 0);
        QTest::mouseClick(m_form1->Command4, Qt::LeftButton);
        QCOMPARE(m_app->platform().launcher.openedFiles, { m_app->path("readme.txt") });
        m_form1->setActivateCaption(QStringLiteral("&Deactivate"));
        QTest::mouseClick(m_form1->Command3, Qt::LeftButton);
        QCOMPARE(messages().texts, { "please deactivate halvoren first!" });
        QVERIFY(messages().icons.back() == MessageIcon::Exclamation && !forms().loadedForm2());
        // A click in the log box disables it, and the window keeps the focus until the user
        // moves it.
        QTest::mouseClick(m_form1->Text1->viewport(), Qt::LeftButton);
        QCoreApplication::processEvents();
        QVERIFY(!m_form1->Text1->isEnabled() && QApplication::focusWidget() == m_form1);
        QTest::keyClick(m_form1, Qt::Key_Tab);
        QVERIFY(m_form1->Text1->isEnabled());

        // Without a viewer the readme shows, read-only, in a window of the program's own; without
        // a recorder the message names the recorders tried.
        m_app->platform().launcher.openerFails = true;
        QTest::mouseClick(m_form1->Command4, Qt::LeftButton);
        QPlainTextEdit* readme = nullptr;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->isVisible() && window->windowTitle() == "readme.txt - Halvoren")
                readme = qobject_cast<QPlainTextEdit*>(window);
        }
        QVERIFY(readme && readme->isReadOnly());
        QCOMPARE(readme->toPlainText(), QString(m_app->readFile("readme.txt")).remove('\r'));
        readme->close();
        m_app->platform().launcher.recorderStarts = false;
        forms().phonebook().findChild<QPushButton*>("Command5")->click();
        QCOMPARE(messages().texts.last(),
            "No sound recorder could be started (tried rec-one, rec-two). Install a sound recorder "
            "program to record wav files.");
    }

    // The real launcher opening the readme through an xdg-open of the test's own that exits with
    // `status` (-1: no xdg-open at all). A failure is reported once.
    void helpOpener_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("failures");
        QTest::newRow("opened") << 0 << 0;
        QTest::newRow("no viewer for the file") << 3 << 1;
        QTest::newRow("no xdg-open") << -1 << 1;
    }

    void helpOpener()
    {
        QFETCH(int, status);
        QFETCH(int, failures);
        QTemporaryDir bin;
        QFile opener(bin.filePath("xdg-open"));
        if (status >= 0) {
            QVERIFY(opener.open(QIODevice::WriteOnly));
            opener.write(
                QString("#!/bin/sh\necho \"$1\" > \"$0.args\"\nexit %1\n").arg(status).toUtf8());
            opener.close();
            QVERIFY(opener.setPermissions(opener.permissions() | QFileDevice::ExeOwner));
        }
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.path().toUtf8());
        int failed = 0;
        QtLauncher().openTextFile("/app/readme.txt", [&failed] { ++failed; });
        qputenv("PATH", path);
        if (status >= 0) {
            QTRY_COMPARE(QFile(opener.fileName() + ".args").size(), qint64(16));
            QTest::qWait(200);
        }
        QTRY_COMPARE(failed, failures);
    }

    // The editor's event rules and number check, with real message boxes, as "book>actions>
    // after>view": the phone book before and after ("TWO" two entries, "REFUSED" the same with
    // the first number emptied), and what the editor shows: message boxes, entry caption,
    // focused control, Save enabled, the settings when written; or "unloaded" after a save,
    // whose "phone.ini" reads back the same.
    void edit_data()
    {
        QTest::addColumn<QString>("row");
        QTest::newRow("digits")
            << "TWO>Text1=5551234 tab>5551234|N||/w1.wav;2|B||/w2>0 Entry#1 Text3 1";
        QTest::newRow("empty number") << "TWO>Text1= tab>REFUSED>0 Entry#1 Text3 1";
        QTest::newRow("dash, click") << "TWO>Text1=555-1234 Text2=>REFUSED>1 Entry#1 Text1 1";
        QTest::newRow("second refusal")
            << "TWO>Text1=12a tab Text1=34b tab>REFUSED>2 Entry#1 Text1 1";
        QTest::newRow("scroll arrow") << "TWO>Text1=12a down>REFUSED>1 Entry#1 Text1 1";
        QTest::newRow("Alt+A") << "TWO>Text1=5551234abc alt:a>REFUSED>1 Entry#1 Text1 1";
        QTest::newRow("Alt+D, Alt+E")
            << "TWO>Text1=12a alt:d Text1=34b alt:e>REFUSED>2 Entry#1 Text1 1";
        QTest::newRow("Delete after")
            << "TWO>Text1=12a press:Command6 Command6>|||;2|B||/w2>1 Entry#1 Command6 1";
        QTest::newRow("Alt+A saves")
            << "TWO>Text1=5551234 alt:a>5551234|N||/w1.wav;2|B||/w2>unloaded";
        QTest::newRow("wav box to Save")
            << "TWO>Text2=/w.wav tab>1|N||/w.wav;2|B||/w2>0 Entry#1 Command3 1";
        QTest::newRow("wav enables Save") << ">Text2=/w.wav Command3>|||/w.wav>unloaded";
        QTest::newRow("B to empty mark") << "1|B||;2|||>up down>1|B||;2|N||>0 Entry#2 VScroll1 1";
        QTest::newRow("dragged past")
            << "1|N||;|N|/p|/w;3|N||>drag:3>1|N||;|N|/p|/w;3|N||>0 Entry#3 Command5 1";
        QTest::newRow("no number, no paths")
            << "1|N||;|N|/p|/w>down>1|N||;|N||>0 Entry#2 VScroll1 1";
        QTest::newRow("stops at 5") << "TWO>down:7>TWO;|N||>0 Entry#5 VScroll1 1";
        QTest::newRow("delete entry 3")
            << "1|B|/p|/w;2|||;3|B|/p|/w;4|||;5|B|/p|/w>down:2 Command6 "
               "Command3>1|B|/p|/w;2|N||;|||;4|||;5|B|/p|/w>unloaded";
        QTest::newRow("Auto Update") << "TWO>Check2>TWO>0 Entry#1 Check2 1 True False";
        QTest::newRow("Enable Blocking")
            << "TWO>Check3 Check1>1|B||/w1.wav;2|B||/w2>0 Entry#1 Check1 1 False True";
        QTest::newRow("blocking off") << "TWO>Check3 Check3 Check1>TWO>0 Entry#1 Check3 1";
    }

    void edit()
    {
        QFETCH(QString, row);
        const QStringList part = row.replace("TWO", "1|N||/w1.wav;2|B||/w2")
                                     .replace("REFUSED", "|N||/w1.wav;2|B||/w2")
                                     .split('>');
        start(part[0]);
        messages().real = true;
        QStringList boxes;
        const auto pressReturn = [&](QMessageBox& box) {
            boxes << box.windowTitle() + ": " + box.text()
                    + (box.icon() == QMessageBox::Information ? "" : " (icon)");
            QTest::keyClick(&box, Qt::Key_Return);
        };
        ModalAnswer<QMessageBox> answer(pressReturn, 5);
        window("Phonebook");
        for (const QString& action : part[1].split(' ', Qt::SkipEmptyParts))
            act(action);
        QVERIFY(
            boxes.count("Halvoren 1.5: Phone numbers are suppose to be numbers.") == boxes.size());
        QCOMPARE(entries(state().Book), part[2]);
        QString shown = "unloaded";
        if (forms().loadedPhonebook() && QTest::qWaitForWindowActive(&forms().phonebook())) {
            const QWidget* focus = QApplication::focusWidget();
            const QString settings = QString(m_app->readFile("cconfig.ini")).section("\r\n", 2, 3);
            shown = QString("%1 %2 %3 %4 %5")
                        .arg(boxes.size())
                        .arg(c<QLabel>("Label5")->text(), focus ? focus->objectName() : "none")
                        .arg(c<QPushButton>("Command3")->isEnabled())
                        .arg(QString(settings).replace("\r\n", " ").remove("False False"))
                        .trimmed();
        }
        QCOMPARE(shown, part[3]);
        AppState reloaded;
        reloaded.AppPath = m_app->dir();
        DataStore(reloaded).LoadPhoneBook();
        QCOMPARE(entries(reloaded.Book), shown == "unloaded" ? part[2] : part[0]);
    }

    // The locator from the editor's "..." buttons as "button>steps>wav picture save": a step
    // clicks a file, double-clicks the last one or the folder "sub", or presses "select" or
    // "cancel"; then the entry's paths ("~" is the folder it starts in) and Save enabled.
    void locate_data()
    {
        QTest::addColumn<QString>("row");
        QTest::newRow("wav, double-click") << "Command1>B.WAV>~/B.WAV old.bmp 1";
        QTest::newRow("picture, double-click") << "Command9>d.jpg>old.wav ~/d.jpg 0";
        QTest::newRow("wav, Select") << "Command1>select sub f.wav select>~/sub/f.wav old.bmp 1";
        QTest::newRow("picture, Select") << "Command9>c.bmp select>old.wav ~/c.bmp 0";
        QTest::newRow("Cancel") << "Command9>c.bmp cancel>old.wav old.bmp 0";
    }

    void locate()
    {
        QFETCH(QString, row);
        const QStringList part = row.replace("~", m_tree.path()).split('>');
        start("||old.bmp|old.wav");
        window("Phonebook");
        c<QPushButton>("Command3")->setEnabled(false);
        QStringList seen;
        ModalAnswer<Form3> locator([&](Form3& form3) {
            seen << form3.windowTitle()
                 << QString::number(form3.windowHandle()->transientParent()
                        == forms().phonebook().windowHandle());
            for (const QListWidgetItem* file :
                form3.findChild<QListWidget*>("File1")->findItems("", Qt::MatchContains))
                seen << file->text();
            for (const QString& step : part[1].split(' ')) {
                // Each step finds the window still open.
                QVERIFY(form3.isVisible());
                QWidget* button
                    = form3.findChild<QPushButton*>(step == "select" ? "Command2" : "Command1");
                auto* list = form3.findChild<QListWidget*>(step == "sub" ? "Dir1" : "File1");
                const QList<QListWidgetItem*> item = list->findItems(step, Qt::MatchEndsWith);
                const QPoint at = list->visualItemRect(item.value(0)).center();
                QTest::mouseClick(item.isEmpty() ? button : list->viewport(), Qt::LeftButton, {},
                    item.isEmpty() ? QPoint() : at);
                if (!item.isEmpty() && (step == "sub" || part[1].endsWith(step)))
                    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
            }
        });
        QTest::mouseClick(c<QPushButton>(part[0]), Qt::LeftButton);
        QCOMPARE(seen.join(' '),
            part[0] == "Command1" ? "Locate wav files 1 a.wav B.WAV"
                                  : "Locate picture files 1 c.bmp d.jpg");
        QCOMPARE(state().Book.WavFile(1) + ' ' + state().Book.PictureFile(1) + ' '
                + QString::number(c<QPushButton>("Command3")->isEnabled()),
            part[2]);
        QVERIFY(!forms().loadedForm3());
    }

    // A scan over a PortRack (see there) as "ports>listed>last port probed", in a configured
    // session unless `firstRun`; the lines the caption has after the usual three. The probe's
    // wait sees a tick of Timer1 at every second pass, so it gives up at the fourth.
    void detection_data()
    {
        QTest::addColumn<QString>("row");
        QTest::addColumn<bool>("firstRun");
        QTest::addColumn<QString>("more");
        QTest::newRow("modem on 3 behind silent 1 and 2")
            << "1= 2= 3=ATV1Q0\r\r\nOK\r\n>com3:>6" << false << QString();
        QTest::newRow("modem on 6 has 7 probed") << "6=OK\r\n 7=>com6:>7" << false << QString();
        QTest::newRow("answers on 6 and 7, 8 not probed")
            << "6=OK\r\n 7=OK\r\n 8=OK\r\n>com6: com7:>7" << false << QString();
        QTest::newRow("silent port after an answer")
            << "1=OK\r\n 2= 7=OK\r\n>com1:>6" << false << QString();
        QTest::newRow("answer in three reads") << "4=O,K\r,\n>com4:>6" << false << QString();
        QTest::newRow("a failing write") << "1=! 2=OK\r\n>com2:>6" << false << QString();
        QTest::newRow("OK CR alone") << "2=OK\r>>6" << false << QString();
        QTest::newRow("ok in lower case") << "2=ok\r\n>>6" << false << QString();
        QTest::newRow("no port") << ">>6" << false << QString();
        QTest::newRow("no port on a first run") << ">>6" << true << QString();
        const QString dialout
            = "\r\nJoin the group dialout: sudo usermod -aG dialout $USER, then log in again";
        QTest::newRow("2 and 4 not permitted")
            << "2=- 4=->>6" << false
            << "\r\nPort 2 (/dev/ttyS2): Permission denied.\r\nPort 4 (/dev/ttyS4): Permission "
               "denied."
                + dialout;
        QTest::newRow("not permitted on a first run")
            << "5=->>6" << true << "\r\nPort 5 (/dev/ttyS5): Permission denied." + dialout;
        QTest::newRow("not permitted, a modem found") << "1=- 3=OK\r\n>com3:>6" << false << "";
        QTest::newRow("answer before the first tick") << "1=@1>com1:>6" << false << QString();
        QTest::newRow("with the first tick") << "1=@2>com1:>6" << false << QString();
        QTest::newRow("between the ticks") << "1=@3>com1:>6" << false << QString();
        QTest::newRow("with the second tick") << "1=@4>>6" << false << QString();
    }

    void detection()
    {
        QFETCH(QString, row);
        QFETCH(bool, firstRun);
        QFETCH(QString, more);
        m_app->writeSettings();
        m_app->writeEmptyPhoneBook();
        ScriptedPump pump;
        TestPlatform& test = m_app->platform();
        Platform platform { [] { return std::make_unique<PortRack>(); }, pump, test.sound,
            test.pictures, test.launcher, test.printer, test.messages, test.end, m_app->dir(), 20 };
        Halvoren halvoren(platform);
        halvoren.start();
        // Started from its files; a first run has not read or written them yet.
        if (firstRun)
            halvoren.state().SettingsSaved = false;
        Form2& form2 = halvoren.context().forms.form2();
        form2.showModeless();
        auto& rack = static_cast<PortRack&>(*form2.MSComm0);
        for (const QString& port : row.section('>', 0, 0).split(' ', Qt::SkipEmptyParts))
            rack.replies[port.section('=', 0, 0).toInt()]
                = port.section('=', 1).split(',', Qt::SkipEmptyParts);
        // Text left from before would look like an answer from the first port.
        halvoren.state().ReceiveBuffer = QStringLiteral("OK\r\n");
        int pass = 0;
        int pauseTicks = 0;
        pump.onYield = [&] {
            pass = rack.isOpen ? pass + 1 : 0;
            // The pause before the end: the window disabled, its message not greyed.
            if (form2.Label3->text().startsWith(kNoModem) && ++pauseTicks)
                QVERIFY(!form2.isFormEnabled() && form2.Label3->isEnabled());
            if (form2.Timer1->isActive() && (pass % 2 == 0 || pauseTicks))
                form2.Timer1_Timer();
            if (rack.replies.value(rack.commPort).value(0) == QString("@%1").arg(pass))
                rack.send("OK\r\n");
        };
        form2.Command4_Click();

        QStringList listed;
        for (int i = 0; i < form2.Combo1->count(); ++i)
            listed << form2.Combo1->itemText(i);
        QCOMPARE(listed.join(' ') + '>' + QString::number(rack.commPort), row.section('>', 1));
        QCOMPARE(rack.settings + rack.written.join(""),
            "19200,N,8,1" + QString("ATV1Q0\r").repeated(rack.written.size()));
        QVERIFY(!rack.isOpen && rack.opens == rack.closes && rack.inputLen == 0);
        const bool found = !listed.isEmpty();
        const QString end
            = QString("|%1 %2 %3").arg(form2.Command7->isEnabled()).arg(ends()).arg(pauseTicks);
        QCOMPARE(form2.Label3->text() + end,
            found          ? kPortsFound + "|1 0 0"
                : firstRun ? kNoModem + more + "|0 1 4"
                           : kNoModemKept + more + "|0 0 0");
        QCOMPARE(test.end.statuses, firstRun ? QList<int> { 1 } : QList<int>());
        QCOMPARE(halvoren.state().CommPort, "com1:");
        QVERIFY(found
                ? form2.focusWidget() == form2.Combo1
                : firstRun != (halvoren.context().forms.loadedForm2() && form2.isFormEnabled()));
    }

    // Log view: what it holds and shows after `appends`, drawn and copied:
    // control characters as the symbols that stand for them.
    void logView_showsPlainText_data()
    {
        QTest::addColumn<QStringList>("appends");
        QTest::addColumn<QString>("shown");
        QTest::newRow("markup stays literal")
            << QStringList { "NAME = <b>x</b> &amp;\r\n" } << "NAME = <b>x</b> &amp;\n";
        QTest::newRow("CR LF is one line break") << QStringList { "a\r\nb\r\n" } << "a\nb\n";
        QTest::newRow("CR LF split over two appends") << QStringList { "a\r", "\nb" } << "a\nb";
        QTest::newRow("lone CR and LF") << QStringList { "a\rb\nc" } << "a\nb\nc";
        QTest::newRow("control characters") << QStringList {
            QStringLiteral("NUL[%1] BEL[\a] ESC[\x1b] DEL[\x7f] C1[\u0085]\r\n\ab").arg(QChar(0))
        } << QStringLiteral("NUL[\u2400] BEL[\u2407] ESC[\u241b] DEL[\u2421] C1[\ufffd]\n\u2407b");
    }

    void logView_showsPlainText()
    {
        QFETCH(QStringList, appends);
        QFETCH(QString, shown);
        start();
        m_form1->setLogText(QStringLiteral("old text that setLogText replaces"));
        m_form1->setLogText(QString());
        for (const QString& text : appends)
            m_form1->appendLog(text);
        QCOMPARE(m_form1->logText(), appends.join(QString()));
        QCOMPARE(m_form1->Text1->toPlainText(), shown);
        const QImage raw = drawnLog();
        m_form1->focusLog();
        QTest::keyClick(m_form1->Text1, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(m_form1->Text1, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), shown);
        m_form1->setLogText(shown);
        QCOMPARE(drawnLog(), raw);
    }

    // Log view: the first and last line shown (-1 for either) after a line that wraps ("wrap")
    // and 200 lines, scrolled to the end ("end") or to line 100 ("100"), then by keys, as
    // "from|keys|first last".
    void logView_scrolls_data()
    {
        QTest::addColumn<QString>("row");
        QTest::newRow("scroll to end") << "end||-1 200";
        QTest::newRow("scroll bar to line 100") << "100||100 -1";
        QTest::newRow("Down Down Up") << "|Down, Down, Up|1 -1";
        QTest::newRow("Page Down, Page Up") << "|PgDown, PgUp|0 -1";
        QTest::newRow("Ctrl+End") << "|Ctrl+End|-1 200";
        QTest::newRow("end, Ctrl+Home") << "end|Ctrl+Home|0 -1";
        QTest::newRow("wrapped line") << "wrap||0 0";
        QTest::newRow("Page Down in a wrapped line") << "wrap|PgDown|0 0";
    }

    void logView_scrolls()
    {
        QFETCH(QString, row);
        const QString from = row.section('|', 0, 0);
        const int first = row.section('|', 2).section(' ', 0, 0).toInt();
        const int last = row.section(' ', -1).toInt();
        start();
        QString words;
        for (int i = 0; i < 120; ++i)
            words += QStringLiteral("word%1 ").arg(i);
        if (from == "wrap")
            m_form1->appendLog(words + QStringLiteral("\r\n"));
        for (int i = 0; i < 200; ++i)
            m_form1->appendLog(QStringLiteral("line %1\r\n").arg(i));
        m_form1->focusLog();
        QCOMPARE(QApplication::focusWidget(), m_form1->Text1);
        if (from == "end")
            m_form1->showLogEnd();
        if (from.toInt())
            m_form1->Text1->verticalScrollBar()->setValue(from.toInt());
        QTest::keySequence(m_form1->Text1, QKeySequence(row.section('|', 1, 1)));
        const std::pair<int, int> shown = shownLines();
        QCOMPARE(shown.first, first < 0 ? shown.first : first);
        QCOMPARE(shown.second, last < 0 ? shown.second : last);
        // Page Down from the top makes the line at the foot, perhaps cut off there, the top one
        // or the one after it.
        m_form1->Text1->verticalScrollBar()->setValue(0);
        const int foot = shownLines().second;
        QTest::keyClick(m_form1->Text1, Qt::Key_PageDown);
        QVERIFY(shownLines().first == foot || shownLines().first == foot + 1);
        // Down from the top moves the drawing row by row, a wrapped line's rows too, to line 1.
        QTest::keyClick(m_form1->Text1, Qt::Key_Home, Qt::ControlModifier);
        for (QImage drawn = drawnLog(); shownLines().first == 0; drawn = drawnLog()) {
            QTest::keyClick(m_form1->Text1, Qt::Key_Down);
            QVERIFY(drawnLog() != drawn);
        }
        QCOMPARE(shownLines().first, 1);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
