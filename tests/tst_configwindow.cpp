#include "app/Halvoren.h"
#include "platform/SerialLink.h"
#include "state/AppState.h"
#include "state/DataStore.h"
#include "support/ModemSim.h"
#include "support/TestApp.h"
#include "windows/AppFonts.h"
#include "windows/config/Form2.h"
#include "windows/main/Form1.h"
#include "windows/main/Form4.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

const QString kPortsFound
    = QStringLiteral("Done checking ports\r\nPlease select a port\r\nand save configuration");
const QString kReady
    = QStringLiteral("Halvoren is ready to continue\r\nYou can now edit your phone list\r\n");
const QByteArray kEmptyPhoneBook = QByteArray("+\r\n\r\n\r\n\r\n\r\n").repeated(5);

QByteArray settingsFile(const QByteArray& port)
{
    return port + "\r\nAT+VCID=1\r\nFalse\r\nFalse\r\n";
}

} // namespace

// The configuration window: its load step, Save config and the ways out of it, on a
// configured program that opens it through the main window's Config button.
class TestConfigWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestApp> m_app;
    std::unique_ptr<ModemSim> m_modem;

    AppState& state() { return m_app->app().state(); }
    FormRegistry& forms() { return m_app->app().context().forms; }
    RecordingMessageBoxes& messages() { return m_app->platform().messages; }

    AppContext& startConfigured()
    {
        m_app->writeSettings(QStringLiteral("com1:"));
        return m_app->start().context();
    }

    // Starts the program with "com1:" configured and opens the configuration window.
    Form2& openConfig()
    {
        startConfigured();
        QTest::mouseClick(forms().loadedForm1()->Command3, Qt::LeftButton);
        Form2& form2 = *forms().loadedForm2();
        if (!QTest::qWaitForWindowActive(&form2))
            qWarning("the configuration window did not become active");
        return form2;
    }

    // Runs a detection that finds the simulated modem on port 2.
    bool detectModemOnPort2(Form2& form2)
    {
        m_modem = std::make_unique<ModemSim>();
        if (!m_modem->start(m_app->dir(), 2))
            return false;
        QTest::mouseClick(form2.Command4, Qt::LeftButton);
        return QTest::qWaitFor([&] { return form2.Label3->text() == kPortsFound; }, 20000);
    }

    static void typeIntoCombo(Form2& form2, const QString& text)
    {
        form2.Combo1->setFocus();
        form2.Combo1->lineEdit()->selectAll();
        QTest::keyClicks(form2.Combo1->lineEdit(), text);
    }

private slots:
    void init()
    {
        m_app = std::make_unique<TestApp>();
        m_app->writeEmptyPhoneBook();
    }

    void cleanup()
    {
        m_modem.reset();
        m_app.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void layout_tabOrderAndAccessKeys()
    {
        Form2& form2 = openConfig();
        form2.Command7->setEnabled(true);
        form2.Command4->setFocus();
        QStringList order;
        for (int i = 0; i < 8; ++i) {
            QWidget* focused = QApplication::focusWidget();
            if (focused == form2.Combo1->lineEdit())
                focused = form2.Combo1;
            order << (focused ? focused->objectName() : QString());
            QTest::keyClick(focused, Qt::Key_Tab);
        }
        QCOMPARE(order,
            QStringList({ "Command4", "Command7", "Command8", "Command2", "Combo1", "Command1",
                "Command3", "Command4" }));

        messages().shown.clear();
        form2.Combo1->setEditText(QString());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
        // An access key presses its button after a short visible press.
        QTRY_COMPARE(messages().texts(), QStringList { "Please select a comm port" });
    }

    void formLoad_data()
    {
        QTest::addColumn<QByteArray>("portLine");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("caption");
        QTest::newRow("port configured") << QByteArray("com2:") << "com2:"
                                         << "Help Captions";
        QTest::newRow("no port") << QByteArray() << "No Port Selected"
                                 << "There is no comm port selected.";
    }

    void formLoad()
    {
        QFETCH(QByteArray, portLine);
        QFETCH(QString, text);
        QFETCH(QString, caption);
        m_app->writeFile(QStringLiteral("cconfig.ini"), settingsFile(portLine));
        m_app->start();

        Form2& form2 = forms().form2();

        QCOMPARE(form2.Combo1->currentText(), text);
        QCOMPARE(form2.Label3->text(), caption);
        QVERIFY(!form2.Command7->isEnabled());
        QVERIFY(!forms().loadedFr());
        QVERIFY(!form2.isVisible());
    }

    void saveConfig_refusesWithoutAPort_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("saved");
        QTest::newRow("No Port Selected") << "No Port Selected" << false;
        QTest::newRow("empty") << "" << false;
        // Only the exact words count as no selection.
        QTest::newRow("design text") << "No port selected" << true;
    }

    void saveConfig_refusesWithoutAPort()
    {
        QFETCH(QString, text);
        QFETCH(bool, saved);
        Form2& form2 = openConfig();
        QVERIFY(detectModemOnPort2(form2));
        form2.Combo1->setEditText(text);

        QTest::mouseClick(form2.Command7, Qt::LeftButton);

        QCOMPARE(m_app->readFile(QStringLiteral("cconfig.ini")),
            settingsFile(saved ? text.toUtf8() : QByteArray("com1:")));
        QCOMPARE(form2.Label3->text(), saved ? kReady : kPortsFound);
        if (saved) {
            QVERIFY(messages().shown.empty());
        } else {
            QCOMPARE(messages().shown.size(), 1u);
            QCOMPARE(messages().shown.front().text, "Please select a comm port");
            QCOMPARE(messages().shown.front().icon, MessageIcon::Exclamation);
        }
    }

    void saveConfig_writesTypedTextAndKeepsCommPort()
    {
        Form2& form2 = openConfig();
        QVERIFY(detectModemOnPort2(form2));
        // A typed text that names a listed port is still typing, not a pick.
        typeIntoCombo(form2, QStringLiteral("com2:"));
        QTest::keyClick(form2.Combo1->lineEdit(), Qt::Key_Return);
        typeIntoCombo(form2, QStringLiteral("com9:"));
        QTest::keyClick(form2.Combo1->lineEdit(), Qt::Key_Return);

        QTest::mouseClick(form2.Command7, Qt::LeftButton);

        QCOMPARE(m_app->readFile(QStringLiteral("cconfig.ini")), settingsFile("com9:"));
        QCOMPARE(state().CommPort, "com1:");
        QCOMPARE(form2.Combo1->count(), 1);
        QCOMPARE(form2.Label3->text(), kReady);
    }

    void cancel_afterPickingKeepsThePickInMemoryOnly()
    {
        Form2& form2 = openConfig();
        QVERIFY(detectModemOnPort2(form2));
        QTest::keyClick(form2.Combo1, Qt::Key_Down);
        QCOMPARE(form2.Combo1->currentText(), "com2:");

        QTest::mouseClick(form2.Command2, Qt::LeftButton);

        QCOMPARE(state().CommPort, "com2:");
        QCOMPARE(m_app->readFile(QStringLiteral("cconfig.ini")), settingsFile("com1:"));
        QVERIFY(!forms().loadedForm2());
        Form1& form1 = *forms().loadedForm1();
        QVERIFY(form1.isVisible());
        QVERIFY(form1.isFormEnabled());
        QCOMPARE(m_app->platform().end.ends, 0);
    }

    void saveConfig_reloadReplacesEditsOfEntriesInTheFile()
    {
        m_app->writeFile(QStringLiteral("phone.ini"),
            "+\r\n5551110000\r\nB\r\n\r\n\r\n" + QByteArray("+\r\n\r\n\r\n\r\n\r\n"));
        Form2& form2 = openConfig();
        QVERIFY(detectModemOnPort2(form2));
        // Edits the phone book editor would have left unsaved.
        PhoneBook& book = state().Book;
        book.PhoneNumber(1) = QStringLiteral("5559990000");
        book.PhoneNumber(2) = QStringLiteral("5558880000");
        book.PhoneNumber(3) = QStringLiteral("5557770000");

        QTest::mouseClick(form2.Command7, Qt::LeftButton);

        QCOMPARE(book.PhoneNumber(1), "5551110000");
        QCOMPARE(book.BlockFlag(1), "B");
        QCOMPARE(book.PhoneNumber(2), "");
        QCOMPARE(book.PhoneNumber(3), "5557770000");
    }

    void saveConfig_withoutPhoneBookWritesAnEmptyOne()
    {
        Form2& form2 = openConfig();
        QVERIFY(detectModemOnPort2(form2));
        QVERIFY(QFile::remove(m_app->path(QStringLiteral("phone.ini"))));
        form2.Combo1->setEditText(QStringLiteral("com2:"));

        QTest::mouseClick(form2.Command7, Qt::LeftButton);

        QCOMPARE(m_app->readFile(QStringLiteral("phone.ini")), kEmptyPhoneBook);
        QVERIFY(messages().shown.empty());
        QCOMPARE(form2.Label3->text(), kReady);
        // The next start reads both files, so it is not taken for a first run.
        AppState next;
        next.AppPath = m_app->dir();
        DataStore store(next);
        store.LoadSettings();
        store.LoadPhoneBook();
        QCOMPARE(next.CommPort, "com2:");
    }

    void saveConfig_reportsAPhoneBookThatCannotBeRead()
    {
        Form2& form2 = openConfig();
        QVERIFY(detectModemOnPort2(form2));
        // Cut short after the second block's "+".
        m_app->writeFile(QStringLiteral("phone.ini"), "+\r\n5551110000\r\n\r\n\r\n\r\n+\r\n");
        state().Book.PhoneNumber(1) = QStringLiteral("5559990000");

        QTest::mouseClick(form2.Command7, Qt::LeftButton);

        QCOMPARE(messages().texts(),
            QStringList { "Could not read " + m_app->path(QStringLiteral("phone.ini"))
                + ":\nInput past end of file" });
        QCOMPARE(state().Book.PhoneNumber(1), "5551110000");
        QCOMPARE(m_app->readFile(QStringLiteral("cconfig.ini")), settingsFile("com1:"));
        QCOMPARE(form2.Label3->text(), kReady);
        QVERIFY(form2.Command1->isEnabled());
        QVERIFY(form2.Command3->isEnabled());
    }

    void saveConfig_stopsWhenTheSettingsCannotBeWritten()
    {
        Form2& form2 = openConfig();
        QVERIFY(detectModemOnPort2(form2));
        QVERIFY(QFile::remove(m_app->path(QStringLiteral("cconfig.ini"))));
        QVERIFY(QDir(m_app->dir()).mkdir(QStringLiteral("cconfig.ini")));
        state().Book.PhoneNumber(1) = QStringLiteral("5559990000");
        form2.Combo1->setEditText(QStringLiteral("com2:"));

        QTest::mouseClick(form2.Command7, Qt::LeftButton);

        QCOMPARE(messages().shown.size(), 1u);
        QVERIFY(messages().shown.front().text.startsWith(
            "Could not write " + m_app->path(QStringLiteral("cconfig.ini"))));
        QCOMPARE(form2.Label3->text(), kPortsFound);
        QCOMPARE(state().Book.PhoneNumber(1), "5559990000");
    }

    void done_thenConfigShowsTheSameListWithSaveConfigDisabled()
    {
        Form2& form2 = openConfig();
        QVERIFY(detectModemOnPort2(form2));
        form2.Combo1->setEditText(QStringLiteral("com2:"));

        QTest::mouseClick(form2.Command3, Qt::LeftButton);
        QVERIFY(!form2.isVisible());
        Form1& form1 = *forms().loadedForm1();
        QVERIFY(form1.isVisible());
        QVERIFY(form1.isFormEnabled());

        QTest::mouseClick(form1.Command3, Qt::LeftButton);
        QCOMPARE(forms().loadedForm2(), &form2);
        QVERIFY(form2.isVisible());
        QCOMPARE(form2.Combo1->count(), 1);
        QCOMPARE(form2.Combo1->currentText(), "com2:");
        QVERIFY(!form2.Command7->isEnabled());
    }

    void about_disablesTheWindowUntilItsOk()
    {
        Form2& form2 = openConfig();

        QTest::mouseClick(form2.Command8, Qt::LeftButton);
        QVERIFY(!form2.isFormEnabled());
        Form4* form4 = forms().loadedForm4();
        QVERIFY(form4 && form4->isVisible());
        // A disabled window takes no input, its close box included.
        form2.close();
        QCOMPARE(forms().loadedForm2(), &form2);

        QTest::mouseClick(
            form4->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
        QVERIFY(form2.isFormEnabled());
        QVERIFY(form2.isVisible());
    }

    void frameClose_isCancel()
    {
        Form2& form2 = openConfig();

        form2.close();

        QVERIFY(!forms().loadedForm2());
        QVERIFY(forms().loadedForm1()->isFormEnabled());
        QCOMPARE(m_app->platform().end.ends, 0);
    }

    // Not a test of behaviour: writes the window's pictures when HALVOREN_SCREENSHOTS names a
    // folder (run under xvfb-run).
    void screenshots()
    {
        const QString folder = qEnvironmentVariable("HALVOREN_SCREENSHOTS");
        if (folder.isEmpty())
            QSKIP("HALVOREN_SCREENSHOTS is not set");
        AppFonts::install();
        QVERIFY(QDir().mkpath(folder));
        Form2& form2 = openConfig();
        const auto save = [&](const QString& name) {
            QApplication::processEvents();
            return form2.grab().save(QDir(folder).filePath(name));
        };
        QVERIFY(save(QStringLiteral("config-window.png")));
        QVERIFY(detectModemOnPort2(form2));
        QVERIFY(save(QStringLiteral("config-ports-found.png")));

        m_modem.reset();
        bool saved = false;
        QTimer grabber;
        connect(&grabber, &QTimer::timeout, [&] {
            if (!saved && !form2.isFormEnabled() && form2.isVisible())
                saved = save(QStringLiteral("config-no-modem.png"));
        });
        grabber.start(5);
        QTest::mouseClick(form2.Command4, Qt::LeftButton);
        QTRY_COMPARE(m_app->platform().end.ends, 1);
        QVERIFY(saved);
    }
};

QTEST_MAIN(TestConfigWindow)
#include "tst_configwindow.moc"
