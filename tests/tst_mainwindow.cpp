#include "app/Halvoren.h"
#include "platform/QtLauncher.h"
#include "state/DataStore.h"
#include "support/ModalAnswer.h"
#include "support/ScriptedPump.h"
#include "support/ScriptedSerialLink.h"
#include "support/TestApp.h"
#include "support/WindowDump.h"
#include "windows/AppFonts.h"
#include "windows/config/Form2.h"
#include "windows/config/Form3.h"
#include "windows/config/Fr.h"
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

// A configured program on a TestApp's files and doubles, but for a pump the test scripts and
// modems that answer what the test sends.
struct Scripted
{
    explicit Scripted(TestApp& app)
        : platform { [] { return std::make_unique<ScriptedSerialLink>(); }, pump,
            app.platform().sound, app.platform().pictures, app.platform().launcher,
            app.platform().printer, app.platform().messages, app.platform().end,
            AppFolders { app.dir(), app.dir() }, 20 }
    {
        app.writeSettings();
        app.writeEmptyPhoneBook();
        halvoren.start();
    }

    ScriptedPump pump;
    Platform platform;
    Halvoren halvoren { platform };
};

// Entries 1 to 5 as "number|mark|picture|wav" joined by ";", empty entries at the end left out.
QString entries(const PhoneBook& book)
{
    QStringList all;
    for (int i = 1; i <= 5; ++i)
        all << book.PhoneNumber(i) + '|' + book.BlockFlag(i) + '|' + book.PictureFile(i) + '|'
                + book.WavFile(i);
    return all.join(';').remove(QRegularExpression("(^\\|\\|\\|)?(;\\|\\|\\|)*$"));
}

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

    // Steps as a person takes them, each a moment after the last, so steps go on while a modal
    // window waits: "Form1.Command3" clicks a control of a shown window, "Form2=name" compares
    // that window with tests/windows/<row>-name<how many looks so far>.txt, "key Alt+S" presses
    // keys in the active window, "type 12" types into the focused control, "close Form1" closes it
    // from its frame.
    // `begin` is called once the first step waits, for a start that opens a modal window.
    void takeSteps(
        QStringList steps, const std::function<void()>& begin = [] {})
    {
        QStringList failures;
        bool done = false;
        int looked = 0;
        // Takes the steps still waiting with it when a stuck step ends the test.
        QObject pending;
        const auto shown = [](const QString& name) -> QWidget* {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (top->isVisible()
                    && (top->objectName() == name || top->inherits(qPrintable(name))))
                    return top;
            return nullptr;
        };
        std::function<void()> next = [&] {
            if (steps.isEmpty()) {
                done = true;
                return;
            }
            const QString step = steps.takeFirst();
            const QString command = step.section(' ', 0, 0), rest = step.section(' ', 1);
            // An access key clicks its button a moment after the key.
            QTimer::singleShot(command == "key" ? 150 : 50, &pending, next);
            const QString window = step.section(QRegularExpression("[.=]"), 0, 0);
            QWidget* target = command == "key" || command == "type" ? QApplication::focusWidget()
                : command == "close"                                ? shown(rest)
                                                                    : shown(window);
            if (!target) {
                failures << step + ": no such window shown";
                // The test fails now, out of the modal windows the steps opened.
                steps.clear();
                while (QWidget* modal = QApplication::activeModalWidget())
                    modal->hide();
            } else if (command == "key") {
                QTest::keySequence(target, QKeySequence(rest));
            } else if (command == "type") {
                QTest::keyClicks(target, rest);
            } else if (command == "close") {
                target->close();
            } else if (step.contains('=')) {
                QString difference;
                if (!windowLooksAsReviewed(target,
                        QString(QTest::currentDataTag()).replace(' ', '-') + '-'
                            + step.section('=', 1) + QString::number(++looked),
                        &difference))
                    failures << difference;
            } else if (QWidget* control = target->findChild<QWidget*>(step.section('.', 1))) {
                QTest::mouseClick(control, Qt::LeftButton);
            } else {
                failures << step + ": no such control";
            }
        };
        QTimer::singleShot(0, &pending, next);
        begin();
        QTRY_VERIFY_WITH_TIMEOUT(done, 20000);
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join('\n')));
    }

    QImage drawnLog() const { return m_form1->Text1->viewport()->grab().toImage(); }

private slots:
    void initTestCase()
    {
        AppFonts::install();
        QVERIFY(QDir(m_tree.path()).mkpath("sub"));
        for (const char* name : { "a.wav", "B.WAV", "c.bmp", "d.jpg", "e.txt", "sub/f.wav" })
            QVERIFY(QFile(m_tree.filePath(name)).open(QIODevice::WriteOnly));
        // The file locator must not open in the process's folder.
        QDir::setCurrent(m_tree.filePath("sub"));
    }

    void cleanup()
    {
        m_app = std::make_unique<TestApp>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // What a window's text cannot tell: the controls drawn bold, "_" for underlined; a button
    // that Return, Enter and Space press; and whether Escape closes the window.
    void windows_data()
    {
        QTest::addColumn<QStringList>("styled");
        QTest::addColumn<QString>("pressed");
        QTest::addColumn<bool>("escapeCloses");
        QTest::newRow("Form1") << QStringList { "Label1[0]", "Label2[0]", "Label1[1]", "Label2[1]",
            "Command7", "Text1" }
                               << "Command2" << false;
        QTest::newRow("Form4") << QStringList { "_Label3" } << "Command1" << true;
        QTest::newRow("Form2") << QStringList { "Command4", "Command8", "Label4" } << "Command7"
                               << true;
        QTest::newRow("Form3") << QStringList() << "Command2" << true;
        QTest::newRow("Phonebook")
            << QStringList { "Label5", "Label1", "Label6", "Label2", "Command6" } << "Command6"
            << true;
        QTest::newRow("Fr") << QStringList() << "Command1" << false;
    }

    void windows()
    {
        QFETCH(QStringList, styled);
        QFETCH(QString, pressed);
        QFETCH(bool, escapeCloses);
        start();
        m_form1->appendLog(QStringLiteral("Activated:\r\n12-24-2026 5551234567\r\n"));
        QWidget* form = window(QTest::currentDataTag());
        // Qt can report a bold face and still draw regular outlines, so only the drawing tells.
        for (const QString& name : styled) {
            auto* control = form->findChild<QWidget*>(QString(name).remove('_'));
            const int styledInk = ink(control);
            QFont plain = control->font();
            name.startsWith('_') ? plain.setUnderline(false) : plain.setBold(false);
            control->setFont(plain);
            QVERIFY2(styledInk * 10 > ink(control) * 12, qPrintable(name));
        }

        for (int key : { Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space }) {
            auto* button = window(QTest::currentDataTag())->findChild<QPushButton*>(pressed);
            button->setEnabled(true);
            button->setFocus();
            QSignalSpy clicks(button, &QPushButton::clicked);
            QTest::keyClick(button, Qt::Key(key));
            QVERIFY2(clicks.count() == 1, qPrintable(QString::number(key, 16)));
        }
        QWidget* last = window(QTest::currentDataTag());
        QTest::keyClick(last->focusWidget() ? last->focusWidget() : last, Qt::Key_Escape);
        QCOMPARE(last->isVisible(), !escapeCloses);
    }

    // Each window as it is opened, and as its opener is left when it closes by each of its ways
    // out; the files name the reviewed looks.
    void waysInAndOut_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::newRow("About box")
            << QStringList { "Form1=form1", "Form1.Command7", "Form4=form4", "Form1=form1-behind",
                   "key Return", "Form1=form1", "Form1.Command7", "key Escape", "Form1=form1" };
        QTest::newRow("configuration window") << QStringList { "Form1.Command3", "Form2=form2",
            "Form2.Command8", "Form4=form4", "Form2=form2-behind", "Form4.Command1", "Form2=form2",
            "Form2.Command2", "Form1=form1", "Form1.Command3", "Form2.Command3", "Form1=form1" };
        QTest::newRow("phone book") << QStringList { "Form1.Command8", "Phonebook=phonebook",
            "Phonebook.Command9", "Form3=form3-pictures", "Form3.Command1", "Phonebook=phonebook",
            "Phonebook.Command1", "Form3=form3-wavs", "key Escape", "Phonebook=phonebook",
            "Phonebook.Command2", "Form1=form1" };
        QTest::newRow("phone book from configuration") << QStringList { "Form1.Command3",
            "Form2.Command1", "Phonebook=phonebook", "Phonebook.Command2", "Form2=form2" };
        QTest::newRow("first run") << QStringList { "Fr=fr", "key Alt+A", "Fr=fr", "key Alt+N",
            "Form2=form2", "Form2.Command2", "Form1=form1" };
        QTest::newRow("refused number") << QStringList { "Form1.Command8", "Phonebook.Text1",
            "key Ctrl+A", "type 12a", "key Tab", "QMessageBox=refused", "key Return",
            "Phonebook=phonebook", "Phonebook.Command2", "Form1=form1" };
    }

    void waysInAndOut()
    {
        QFETCH(QStringList, steps);
        messages().real = true;
        if (QString(QTest::currentDataTag()) == "first run")
            return takeSteps(steps, [this] { m_app->start(); });
        start("5551234|B|" + m_app->path("blank.bmp") + "|" + m_tree.filePath("a.wav"));
        takeSteps(steps);
    }

    // While the About box or the configuration window is open its opener looks as before, a
    // control the program disabled included, but takes no input and cannot be closed. Each row:
    // the opener, whether its button opens the About box, and that button; "Command2" of either
    // opener is a button whose click would show.
    void disabledWhileOpen_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<bool>("about");
        QTest::addColumn<QString>("button");
        QTest::newRow("About box") << "Form1" << true << "Command7";
        QTest::newRow("configuration window") << "Form1" << false << "Command3";
        QTest::newRow("About from configuration") << "Form2" << true << "Command8";
    }

    void disabledWhileOpen()
    {
        QFETCH(QString, from);
        QFETCH(bool, about);
        QFETCH(QString, button);
        start();
        QWidget* opener = window(from);
        // As the monitor leaves it.
        m_form1->Command8->setEnabled(false);
        m_form1->appendLog(QStringLiteral("RING\r\n"));
        opener->findChild<QPushButton*>(button)->setFocus();
        const QImage before = opener->grab().toImage();
        QTest::mouseClick(opener->findChild<QPushButton*>(button), Qt::LeftButton);
        QWidget* opened
            = about ? static_cast<QWidget*>(forms().loadedForm4()) : forms().loadedForm2();
        QVERIFY(opened && QTest::qWaitForWindowActive(opened));
        QTest::mouseClick(opener->findChild<QPushButton*>("Command2"), Qt::LeftButton);
        opener->close();
        QVERIFY(opener->isVisible() && ends() == 0);
        QCOMPARE(opener->grab().toImage(), before);

        QTest::mouseClick(
            opened->findChild<QPushButton*>(about ? "Command1" : "Command3"), Qt::LeftButton);
        QVERIFY(!opened->isVisible() && !forms().loadedForm4() && !m_form1->Command8->isEnabled());
        // Taking input again: "&Clear log" clears, "&Cancel" unloads; closing the main window
        // ends the program.
        QTest::mouseClick(opener->findChild<QPushButton*>("Command2"), Qt::LeftButton);
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
        bool keptOpen = false;
        const auto answer = [&](Phonebook& shown) {
            owners << shown.windowHandle()->transientParent();
            cursors += c<QLineEdit>("Text2")->cursorPosition()
                + c<QLineEdit>("Text3")->cursorPosition() + c<QLabel>("Image2")->pixmap().isNull();
            if (owners.size() == 2) {
                // A picture path that names no picture shows none; a save that fails leaves
                // both windows open.
                QTest::keyClicks(c<QLineEdit>("Text3"), "x");
                QVERIFY(QFile::remove(m_app->path("phone.ini"))
                    && QDir(m_app->dir()).mkdir("phone.ini"));
                QTest::mouseClick(c<QPushButton>("Command3"), Qt::LeftButton);
                keptOpen = c<QLabel>("Image2")->pixmap().isNull() && shown.isVisible()
                    && forms().loadedForm2()
                    && messages().texts.last().startsWith("Could not write");
                QVERIFY(QDir(m_app->dir()).rmdir("phone.ini"));
            }
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
        QVERIFY(cursors == 0 && keptOpen);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!forms().loadedPhonebook() && !config && m_form1->isVisible()
            && m_form1->isFormEnabled());
    }

    // A first run ends on Cancel only while no settings were saved; Escape does nothing there
    // while "&Done" is disabled.
    void firstRunCancel_data()
    {
        QTest::addColumn<bool>("save");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<int>("ends");
        QTest::newRow("before Save config") << false << true << 1;
        QTest::newRow("after Save config") << true << true << 0;
        QTest::newRow("after a failed Save config") << true << false << 1;
    }

    void firstRunCancel()
    {
        QFETCH(bool, save);
        QFETCH(bool, writable);
        QFETCH(int, ends);
        const ModalAnswer<Fr> agreement([](Fr& fr) {
            QTest::mouseClick(fr.Option1, Qt::LeftButton);
            QTest::mouseClick(fr.Command1, Qt::LeftButton);
        });
        m_app->start();
        Form2* form2 = forms().loadedForm2();
        QVERIFY(agreement.answered() && QTest::qWaitForWindowActive(form2));
        // "No Port Selected" fits its box: moving the cursor to its end scrolls nothing.
        QLineEdit* port = form2->Combo1->lineEdit();
        const QImage whole = port->grab().toImage();
        port->end(false);
        QCOMPARE(port->grab().toImage(), whole);
        QTest::keyClick(form2->focusWidget(), Qt::Key_Escape);
        QVERIFY(form2->isVisible() && (writable || QDir(m_app->dir()).mkdir("cconfig.ini")));
        if (save) {
            QTest::keyClicks(form2->Combo1, "com1:");
            form2->Command7->setEnabled(true);
            QTest::mouseClick(form2->Command7, Qt::LeftButton);
        }
        QTest::mouseClick(form2->Command2, Qt::LeftButton);
        QVERIFY(!forms().loadedForm2() && forms().loadedForm1()->isVisible());
        QCOMPARE(this->ends(), ends);
    }

    // Closing the main window from its frame while the log holds a call that no Save log wrote
    // asks first, and the running monitor goes on meanwhile: the close comes while the monitor
    // waits for the next ring, after the user's action (a button of the main window, or the log
    // made unwritable); then the keys that answer the question.
    void closeWithUnsavedCalls_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("ends");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("written");
        QTest::newRow("Return saves") << QString() << 1 << "Return" << true;
        QTest::newRow("without saving") << QString() << 1 << "Alt+W" << false;
        QTest::newRow("Cancel") << QString() << 0 << "Esc" << false;
        QTest::newRow("the save fails") << "unwritable" << 0 << "Return" << false;
        QTest::newRow("saved before") << "Command5" << 1 << QString() << true;
        QTest::newRow("cleared before") << "Command2" << 1 << QString() << false;
    }

    void closeWithUnsavedCalls()
    {
        QFETCH(QString, action);
        QFETCH(int, ends);
        QFETCH(QString, keys);
        QFETCH(bool, written);
        QVERIFY(action != "unwritable" || QDir(m_app->dir()).mkdir("ccalls.log"));
        Scripted run(*m_app);
        Form1& form1 = *run.halvoren.context().forms.loadedForm1();
        auto& modem = static_cast<ScriptedSerialLink&>(*form1.MSComm1);
        QStringList script { "OK\r\n", "\r\nRING\r\n", "\r\nNMBR = 5551234567\r\n" };
        messages().real = true;
        QPointer<QMessageBox> question;
        bool busy = false;
        run.pump.onYield = [&] {
            if (busy || modem.written.isEmpty() || form1.Command1->text() != "&Deactivate")
                return;
            busy = true;
            if (!script.isEmpty()) {
                modem.send(script.takeFirst());
            } else if (form1.Timer1->isActive()) {
                form1.Timer1_Timer();
            } else {
                if (action.startsWith("Command"))
                    QTest::mouseClick(form1.findChild<QPushButton*>(action), Qt::LeftButton);
                form1.close();
                // Open, and the monitor goes on to take the Deactivate.
                question = form1.findChild<QMessageBox*>();
                form1.Command1_Click();
            }
            busy = false;
        };
        QTest::mouseClick(form1.Command1, Qt::LeftButton);
        QVERIFY(script.isEmpty() && form1.Command1->text() == "&Activate");
        QCOMPARE(bool(question), !keys.isEmpty());
        if (question) {
            QVERIFY(question->isVisible() && QTest::qWaitForWindowActive(question));
            QTest::keySequence(question, QKeySequence(keys));
        }
        // An access key clicks its button a moment later.
        QTRY_COMPARE(this->ends(), ends);
        QCOMPARE(m_app->readFile("ccalls.log").contains("NMBR = 5551234567"), written);
        QCOMPARE(messages().texts.filter("Could not write").size(), int(action == "unwritable"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void mainWindowCommands()
    {
        start();
        m_form1->appendLog(QStringLiteral("RING\r\n"));
        m_form1->setTotalCallsCaption(QStringLiteral("3"));
        m_form1->setBlockedCallsCaption(QStringLiteral("1"));
        state().TotalCalls = state().LogEntryCount = 3;
        QTest::mouseClick(m_form1->Command6, Qt::LeftButton);
        QVERIFY(QFileInfo(m_app->platform().printedPdf()).size() > 0);
        QTest::mouseClick(m_form1->Command2, Qt::LeftButton);
        QCOMPARE(m_form1->Label2[0]->text() + m_form1->Label2[1]->text(), "00");
        QVERIFY(m_form1->logText().isEmpty() && state().TotalCalls + state().LogEntryCount == 0);
        m_form1->setActivateCaption(QStringLiteral("&Deactivate"));
        QTest::mouseClick(m_form1->Command3, Qt::LeftButton);
        QCOMPARE(messages().texts, { "please deactivate halvoren first!" });
        QVERIFY(messages().icons.back() == MessageIcon::Exclamation && !forms().loadedForm2());
        // A click in the log box disables it, and the window keeps the focus until the user
        // moves it. The log looks as before, and the wheel still scrolls it.
        m_form1->appendLog(QString("line\r\n").repeated(40));
        m_form1->showLogEnd();
        const QImage look = drawnLog();
        QTest::mouseClick(m_form1->Text1->viewport(), Qt::LeftButton);
        QCoreApplication::processEvents();
        QVERIFY(!m_form1->Text1->isLogEnabled() && QApplication::focusWidget() == m_form1);
        QCOMPARE(drawnLog(), look);
        QWheelEvent wheel(QPointF(5, 5), m_form1->Text1->viewport()->mapToGlobal(QPointF(5, 5)), {},
            { 0, 120 }, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(m_form1->Text1->viewport(), &wheel);
        const int scrolled = m_form1->Text1->verticalScrollBar()->value();
        QVERIFY(scrolled < m_form1->Text1->verticalScrollBar()->maximum() && drawnLog() != look);
        // Keys go past it to the window.
        QTest::keyClick(m_form1->Text1, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(m_form1->Text1->verticalScrollBar()->value(), scrolled);
        QTest::keyClick(m_form1, Qt::Key_Tab);
        QVERIFY(m_form1->Text1->isLogEnabled());
        // A message box leaves room beside its caption for the frame's icon and three buttons,
        // however short its text.
        QtMessageBoxes().showLater(nullptr, "Drive not operaitonal", MessageIcon::None);
        QWidgetList boxes = QApplication::topLevelWidgets();
        boxes.removeIf(
            [](QWidget* box) { return !qobject_cast<QMessageBox*>(box) || !box->isVisible(); });
        QFont caption = QFontDatabase::systemFont(QFontDatabase::TitleFont);
        caption.setBold(true);
        const QFontMetrics title(caption);
        QVERIFY(boxes.size() == 1 && boxes[0]->close());
        QVERIFY(boxes[0]->width() >= title.horizontalAdvance("Halvoren 1.5") + 4 * title.height());

        // Without a viewer the readme shows, read-only, in a window of the program's own; without
        // a recorder the message names the recorders tried.
        m_app->platform().launcher.openerFails = true;
        QTest::mouseClick(m_form1->Command4, Qt::LeftButton);
        QPlainTextEdit* readme = nullptr;
        QTRY_VERIFY(readme = qobject_cast<QPlainTextEdit*>(QApplication::activeWindow()));
        QVERIFY(readme->windowTitle() == "readme.txt - Halvoren" && readme->isReadOnly());
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

    // The editor's event rules and number check, with real message boxes: the phone book before
    // and after the actions, the message boxes shown, and what the editor shows then: the entry,
    // the focused control, the two settings as written; entry 0 when a save unloaded the editor.
    // Save stays enabled, and "phone.ini" reads back as the book before, or after a save.
    void edit_data()
    {
        QTest::addColumn<QString>("book");
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("refusals");
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("focused");
        QTest::addColumn<QString>("settings");
        const QString two = "1|N||/w1.wav;2|B||/w2", refused = "|N||/w1.wav;2|B||/w2";
        const auto row
            = [](const char* name, const QString& book, const QStringList& actions,
                  const QString& after, int refusals, int entry, const QString& focused = {},
                  const QString& settings = "False\r\nFalse") {
                  QTest::newRow(name)
                      << book << actions << after << refusals << entry << focused << settings;
              };
        row("digits", two, { "Text1=5551234", "tab" }, "5551234|N||/w1.wav;2|B||/w2", 0, 1,
            "Text3");
        row("empty number", two, { "Text1=", "tab" }, refused, 0, 1, "Text3");
        row("dash, click", two, { "Text1=555-1234", "Text2=" }, refused, 1, 1, "Text1");
        row("second refusal", two, { "Text1=12a", "tab", "Text1=34b", "tab" }, refused, 2, 1,
            "Text1");
        row("scroll arrow", two, { "Text1=12a", "down" }, refused, 1, 1, "Text1");
        row("Alt+A", two, { "Text1=5551234abc", "alt:a" }, refused, 1, 1, "Text1");
        row("Alt+D, Alt+E", two, { "Text1=12a", "alt:d", "Text1=34b", "alt:e" }, refused, 2, 1,
            "Text1");
        row("Delete after", two, { "Text1=12a", "press:Command6", "Command6" }, "|||;2|B||/w2", 1,
            1, "Command6");
        row("Alt+A saves", two, { "Text1=5551234", "alt:a" }, "5551234|N||/w1.wav;2|B||/w2", 0, 0);
        row("wav box to Save", two, { "Text2=/w.wav", "tab" }, "1|N||/w.wav;2|B||/w2", 0, 1,
            "Command3");
        row("wav enables Save", "", { "Text2=/w.wav", "Command3" }, "|||/w.wav", 0, 0);
        row("B to empty mark", "1|B||;2|||", { "up", "down" }, "1|B||;2|N||", 0, 2, "VScroll1");
        row("dragged past", "1|N||;|N|/p|/w;3|N||", { "drag:3" }, "1|N||;|N|/p|/w;3|N||", 0, 3,
            "Command5");
        row("no number, no paths", "1|N||;|N|/p|/w", { "down" }, "1|N||;|N||", 0, 2, "VScroll1");
        row("stops at 5", two, { "down:7" }, two + ";|N||", 0, 5, "VScroll1");
        row("delete entry 3", "1|B|/p|/w;2|||;3|B|/p|/w;4|||;5|B|/p|/w",
            { "down:2", "Command6", "Command3" }, "1|B|/p|/w;2|N||;|||;4|||;5|B|/p|/w", 0, 0);
        row("Auto Update", two, { "Check2" }, two, 0, 1, "Check2", "True\r\nFalse");
        row("Enable Blocking", two, { "Check3", "Check1" }, "1|B||/w1.wav;2|B||/w2", 0, 1, "Check1",
            "False\r\nTrue");
        row("blocking off", two, { "Check3", "Check3", "Check1" }, two, 0, 1, "Check3");
    }

    void edit()
    {
        QFETCH(QString, book);
        QFETCH(QStringList, actions);
        QFETCH(QString, after);
        QFETCH(int, refusals);
        QFETCH(int, entry);
        QFETCH(QString, focused);
        QFETCH(QString, settings);
        start(book);
        messages().real = true;
        QStringList boxes;
        const auto pressReturn = [&](QMessageBox& box) {
            boxes << box.windowTitle() + ": " + box.text()
                    + (box.icon() == QMessageBox::Information ? "" : " (icon)");
            QTest::keyClick(&box, Qt::Key_Return);
        };
        ModalAnswer<QMessageBox> answer(pressReturn, 5);
        window("Phonebook");
        for (const QString& action : actions)
            act(action);
        QCOMPARE(
            boxes, QStringList(refusals, "Halvoren 1.5: Phone numbers are suppose to be numbers."));
        QCOMPARE(entries(state().Book), after);
        QCOMPARE(bool(forms().loadedPhonebook()), entry > 0);
        if (entry > 0) {
            QVERIFY(QTest::qWaitForWindowActive(&forms().phonebook())
                && c<QPushButton>("Command3")->isEnabled());
            const QWidget* focus = QApplication::focusWidget();
            QCOMPARE(
                QStringList({ c<QLabel>("Label5")->text(), focus ? focus->objectName() : "none",
                    QString(m_app->readFile("cconfig.ini")).section("\r\n", 2, 3) }),
                QStringList({ QStringLiteral("Entry#%1").arg(entry), focused, settings }));
        }
        AppState reloaded;
        reloaded.AppPath = m_app->dir();
        DataStore(reloaded).LoadPhoneBook();
        QCOMPARE(entries(reloaded.Book), entry == 0 ? after : book);
    }

    // The locator from one of the editor's "..." buttons: each step clicks a file, double-clicks
    // the last one or the folder "sub", or presses "select" or "cancel"; then the entry's paths
    // and whether Save is enabled. It opens in the folder of the entry's wav ("~"), or in the
    // data folder ("@") for a picture whose folder is gone.
    void locate_data()
    {
        QTest::addColumn<QString>("opener");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("wav");
        QTest::addColumn<bool>("saveEnabled");
        QTest::addColumn<QString>("picture");
        QTest::newRow("wav, double-click")
            << "Command1" << QStringList { "B.WAV" } << "~/B.WAV" << true << "/gone/p.bmp";
        QTest::newRow("picture, double-click")
            << "Command9" << QStringList { "d.jpg" } << "~/w.wav" << false << "@/d.jpg";
        QTest::newRow("wav, Select")
            << "Command1" << QStringList { "select", "sub", "f.wav", "select" } << "~/sub/f.wav"
            << true << "/gone/p.bmp";
        QTest::newRow("picture, Select")
            << "Command9" << QStringList { "c.bmp", "select" } << "~/w.wav" << false << "@/c.bmp";
        QTest::newRow("Cancel") << "Command9" << QStringList { "c.bmp", "cancel" } << "~/w.wav"
                                << false << "/gone/p.bmp";
    }

    void locate()
    {
        QFETCH(QString, opener);
        QFETCH(QStringList, steps);
        QFETCH(QString, wav);
        QFETCH(bool, saveEnabled);
        QFETCH(QString, picture);
        // The wav's folder exists, the picture's does not: that locator opens in the data folder.
        for (const char* name : { "c.bmp", "d.jpg" })
            QVERIFY(QFile(m_app->path(name)).open(QIODevice::WriteOnly));
        start("||/gone/p.bmp|" + m_tree.filePath("w.wav"));
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
            for (const QString& step : steps) {
                // Each step finds the window still open.
                QVERIFY(form3.isVisible());
                QWidget* button
                    = form3.findChild<QPushButton*>(step == "select" ? "Command2" : "Command1");
                auto* list = form3.findChild<QListWidget*>(step == "sub" ? "Dir1" : "File1");
                const QList<QListWidgetItem*> item = list->findItems(step, Qt::MatchEndsWith);
                const QPoint at = list->visualItemRect(item.value(0)).center();
                QTest::mouseClick(item.isEmpty() ? button : list->viewport(), Qt::LeftButton, {},
                    item.isEmpty() ? QPoint() : at);
                if (!item.isEmpty() && (step == "sub" || step == steps.last()))
                    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
            }
        });
        QTest::mouseClick(c<QPushButton>(opener), Qt::LeftButton);
        QCOMPARE(seen.join(' '),
            opener == "Command1" ? "Locate wav files 1 a.wav B.WAV"
                                 : "Locate picture files 1 blank.bmp c.bmp d.jpg");
        QCOMPARE(QVariantList({ QString(state().Book.WavFile(1)).replace(m_tree.path(), "~"),
                     c<QPushButton>("Command3")->isEnabled(),
                     QString(state().Book.PictureFile(1)).replace(m_app->dir(), "@"),
                     bool(forms().loadedForm3()) }),
            QVariantList({ wav, saveEnabled, picture, false }));
    }

    // The configuration window's side of detection over ports that all answer nothing, but for
    // a modem on port 1 whose answer waits there: listed, Save config enabled, the focus on the
    // list. Without one a first run pauses disabled, its message not greyed, and ends; a
    // configured session goes on with its port.
    void detection_data()
    {
        QTest::addColumn<bool>("modem");
        QTest::addColumn<bool>("firstRun");
        QTest::newRow("modem on 1") << true << false;
        QTest::newRow("no modem, first run") << false << true;
        QTest::newRow("no modem, configured") << false << false;
    }

    void detection()
    {
        QFETCH(bool, modem);
        QFETCH(bool, firstRun);
        Scripted run(*m_app);
        // Started from its files; a first run has not read or written them yet.
        if (firstRun)
            run.halvoren.state().SettingsSaved = false;
        Form2& form2 = run.halvoren.context().forms.form2();
        form2.showModeless();
        if (modem)
            static_cast<ScriptedSerialLink&>(*form2.MSComm0).send("OK\r\n");
        int pauseTicks = 0;
        run.pump.onYield = [&] {
            if (form2.Label3->text() == kNoModem && ++pauseTicks)
                QVERIFY(!form2.isFormEnabled() && form2.Label3->isEnabled());
            if (form2.Timer1->isActive())
                form2.Timer1_Timer();
        };
        form2.Command4_Click();

        QCOMPARE(form2.Label3->text(), modem ? kPortsFound : firstRun ? kNoModem : kNoModemKept);
        const bool ended = firstRun && !modem;
        QCOMPARE(QVariantList({ form2.Combo1->count() ? form2.Combo1->itemText(0) : QString(),
                     form2.Command7->isEnabled(), form2.focusWidget() == form2.Combo1,
                     run.halvoren.context().forms.loadedForm2() == &form2, form2.isFormEnabled() }),
            QVariantList({ modem ? "com1:" : "", modem, modem, !ended, !ended }));
        QCOMPARE(m_app->platform().end.statuses, ended ? QList<int> { 1 } : QList<int>());
        QCOMPARE(pauseTicks > 0, ended);
        QCOMPARE(run.halvoren.state().CommPort, "com1:");
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
