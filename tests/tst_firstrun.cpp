#include "app/Fr.h"
#include "app/Halvoren.h"
#include "state/AppState.h"
#include "support/ModalAnswer.h"
#include "support/ModemSim.h"
#include "support/Scenario.h"
#include "support/TestApp.h"
#include "windows/config/Form2.h"
#include "windows/main/Form1.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

namespace {

const QString kPortsFound
    = QStringLiteral("Done checking ports\r\nPlease select a port\r\nand save configuration");
const QString kReady
    = QStringLiteral("Halvoren is ready to continue\r\nYou can now edit your phone list\r\n");

// Agrees as soon as the agreement comes up: "I Agree", then "Next >".
ModalAnswer<Fr> agreeing()
{
    return ModalAnswer<Fr>([](Fr& fr) {
        QTest::mouseClick(fr.Option1, Qt::LeftButton);
        QTest::mouseClick(fr.Command1, Qt::LeftButton);
    });
}

} // namespace

// A run without readable settings: agreement, configuration window, and what leaving it does.
class TestFirstRun : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestApp> m_app;
    std::unique_ptr<ModemSim> m_modem;

    FormRegistry& forms() { return m_app->app().context().forms; }

    // Starts the program in its folder and agrees; returns the configuration window.
    Form2& startFirstRun()
    {
        const ModalAnswer<Fr> agreement = agreeing();
        m_app->start();
        Form2& form2 = *forms().loadedForm2();
        if (!agreement.answered() || !QTest::qWaitForWindowActive(&form2))
            qWarning("the first run did not reach the configuration window");
        return form2;
    }

    // Detects the simulated modem on port 3, picks it and saves.
    bool detectPickAndSave(Form2& form2)
    {
        m_modem = std::make_unique<ModemSim>();
        if (!m_modem->start(m_app->dir(), 3, { "--ring-interval", "300", "--cid-delay", "20" }))
            return false;
        QTest::mouseClick(form2.Command4, Qt::LeftButton);
        if (!QTest::qWaitFor([&] { return form2.Label3->text() == kPortsFound; }, 20000))
            return false;
        QTest::keyClick(form2.Combo1, Qt::Key_Down);
        QTest::mouseClick(form2.Command7, Qt::LeftButton);
        return form2.Label3->text() == kReady;
    }

private slots:
    void init() { m_app = std::make_unique<TestApp>(); }

    void cleanup()
    {
        m_modem.reset();
        m_app.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void emptyFolder_toTheMainWindow()
    {
        Form2& form2 = startFirstRun();
        Form1& form1 = *forms().loadedForm1();
        QVERIFY(!form1.isVisible());
        QCOMPARE(form2.Combo1->currentText(), "No Port Selected");
        QCOMPARE(form2.Label3->text(), "There is no comm port selected.");
        QVERIFY(!form2.Command1->isEnabled());
        QVERIFY(!form2.Command3->isEnabled());
        QVERIFY(!form2.Command7->isEnabled());

        QVERIFY(detectPickAndSave(form2));
        QCOMPARE(form2.Combo1->count(), 1);
        QCOMPARE(m_app->app().state().CommPort, "com3:");
        QCOMPARE(m_app->readFile(QStringLiteral("cconfig.ini")),
            "com3:\r\nAT+VCID=1\r\nFalse\r\nFalse\r\n");
        QCOMPARE(m_app->readFile(QStringLiteral("phone.ini")),
            QByteArray("+\r\n\r\n\r\n\r\n\r\n").repeated(5));
        QVERIFY(form2.Command1->isEnabled());
        QVERIFY(form2.Command3->isEnabled());

        QTest::mouseClick(form2.Command3, Qt::LeftButton);
        QVERIFY(!form2.isVisible());
        QVERIFY(form1.isVisible());
        QVERIFY(form1.isFormEnabled());
        QCOMPARE(m_app->platform().end.ends, 0);
        QVERIFY(m_app->platform().messages.shown.empty());

        // Monitoring works on this first run too, before the settings are read back.
        Scenario scenario;
        scenario
            .until([&] { return !m_modem->waitFor("rx AT+VCID=1", 0).isEmpty(); },
                [&] { m_modem->command("call 5551234567 ANN FRIEND"); }, "caller ID switched on")
            .until(
                [&] {
                    return form1.Label2[0]->text() == "1"
                        && form1.logText().contains("NMBR = 5551234567\r\nNAME = ANN FRIEND");
                },
                [&] { form1.Command1->click(); }, "call logged and counted");
        scenario.run([&] { form1.Command1->click(); },
            [&] {
                if (form1.Command1->text() == "&Deactivate")
                    form1.Command1->click();
            });
        QVERIFY2(scenario.finished(), qPrintable(scenario.stuckAt()));
        QCOMPARE(m_app->platform().end.ends, 0);

        // The next start finds a configured program.
        const ModalAnswer<Fr> notExpected = agreeing();
        Halvoren& next = m_app->start();
        QVERIFY(!notExpected.answered());
        QVERIFY(next.context().forms.loadedForm1()->isVisible());
        QVERIFY(!next.context().forms.loadedForm2());
        QCOMPARE(next.state().CommPort, "com3:");
    }

    void cancel_endsTheProgram_data()
    {
        QTest::addColumn<bool>("saveFirst");
        QTest::newRow("before a save") << false;
        QTest::newRow("after a save") << true;
    }

    void cancel_endsTheProgram()
    {
        QFETCH(bool, saveFirst);
        Form2& form2 = startFirstRun();
        if (saveFirst)
            QVERIFY(detectPickAndSave(form2));

        QTest::mouseClick(form2.Command2, Qt::LeftButton);

        QCOMPARE(m_app->platform().end.ends, 1);
        QVERIFY(!forms().loadedForm2());
        QCOMPARE(QFile::exists(m_app->path(QStringLiteral("cconfig.ini"))), saveFirst);
    }

    void frameClose_endsTheProgram()
    {
        Form2& form2 = startFirstRun();

        form2.close();

        QCOMPARE(m_app->platform().end.ends, 1);
    }

    // Settings that load with a phone book that does not: Cancel goes back to the main window,
    // which start-up had hidden.
    void settingsWithoutPhoneBook_cancelShowsTheMainWindow()
    {
        m_app->writeSettings(QStringLiteral("com2:"));
        Form2& form2 = startFirstRun();
        QCOMPARE(m_app->app().state().CallerIdCommand, "AT+VCID=1");

        QTest::mouseClick(form2.Command2, Qt::LeftButton);

        QCOMPARE(m_app->platform().end.ends, 0);
        QVERIFY(!forms().loadedForm2());
        Form1& form1 = *forms().loadedForm1();
        QVERIFY(form1.isVisible());
        QVERIFY(form1.isFormEnabled());
    }
};

QTEST_MAIN(TestFirstRun)
#include "tst_firstrun.moc"
