#include "app/Fr.h"
#include "app/Halvoren.h"
#include "platform/SerialLink.h"
#include "state/AppState.h"
#include "support/ModalAnswer.h"
#include "support/ModemSim.h"
#include "support/TestApp.h"
#include "windows/config/Form2.h"
#include "windows/main/Form1.h"

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <utility>

// Start-up and shutdown: which windows a run starts with, what the agreement window lets the
// user do, and what the state holds afterwards.
class TestStartup : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestApp> m_app;

    FormRegistry& forms() { return m_app->app().context().forms; }

    static QByteArray phoneBookBlocks(int count)
    {
        return QByteArray("+\r\n\r\n\r\n\r\n\r\n").repeated(count);
    }

private slots:
    void init() { m_app = std::make_unique<TestApp>(); }

    void cleanup()
    {
        m_app.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void normalStart_showsOnlyTheMainWindow_data()
    {
        QTest::addColumn<bool>("blankPresent");
        QTest::newRow("both files") << true;
        QTest::newRow("blank.bmp missing") << false;
    }

    void normalStart_showsOnlyTheMainWindow()
    {
        QFETCH(bool, blankPresent);
        m_app->writeSettings(QStringLiteral("com2:"), true, false);
        m_app->writeEmptyPhoneBook();
        if (!blankPresent)
            QVERIFY(QFile::remove(m_app->path(QStringLiteral("blank.bmp"))));

        m_app->start();

        Form1* form1 = forms().loadedForm1();
        QVERIFY(form1);
        QVERIFY(form1->isVisible());
        QVERIFY(form1->isFormEnabled());
        QCOMPARE(form1->windowTitle(), "Halvoren version 1.5");
        QCOMPARE(form1->Image1->pixmap().isNull(), !blankPresent);
        QVERIFY(!forms().loadedForm2());
        QVERIFY(!forms().loadedForm3());
        QVERIFY(!forms().loadedForm4());
        QVERIFY(!forms().loadedFr());
        QVERIFY(!forms().loadedPhonebook());
        const AppState& state = m_app->app().state();
        QCOMPARE(state.AppPath, m_app->dir());
        QCOMPARE(state.CommPort, "com2:");
        QVERIFY(!state.AgreementPending);
        QVERIFY(m_app->platform().messages.shown.empty());
    }

    void firstRun_agreementThenConfiguration_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QByteArray>("phoneBook");
        QTest::addColumn<QString>("callerIdCommand");
        QTest::addColumn<bool>("autoUpdate");
        QTest::addColumn<bool>("blocking");
        const QByteArray full("com3:\r\nAT+VCID=1\r\nTrue\r\nTrue\r\n");
        QTest::newRow("no settings") << QByteArray() << QByteArray() << "" << false << false;
        QTest::newRow("no phone book") << full << QByteArray() << "AT+VCID=1" << true << true;
        // The two flags are only set once all four lines have been read.
        QTest::newRow("three-line settings") << QByteArray("com3:\r\nAT+VCID=1\r\nTrue\r\n")
                                             << phoneBookBlocks(5) << "AT+VCID=1" << false << false;
        QTest::newRow("152 phone book blocks")
            << full << phoneBookBlocks(152) << "AT+VCID=1" << true << true;
    }

    void firstRun_agreementThenConfiguration()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QByteArray, phoneBook);
        QFETCH(QString, callerIdCommand);
        QFETCH(bool, autoUpdate);
        QFETCH(bool, blocking);
        if (!settings.isEmpty())
            m_app->writeFile(QStringLiteral("cconfig.ini"), settings);
        if (!phoneBook.isEmpty())
            m_app->writeFile(QStringLiteral("phone.ini"), phoneBook);

        bool windowsShownWithAgreement = true;
        ModalAnswer<Fr> agreement([&](Fr& fr) {
            Form2* form2 = forms().loadedForm2();
            Form1* form1 = forms().loadedForm1();
            windowsShownWithAgreement = (form2 && form2->isVisible()) || form1->isVisible();
            QTest::mouseClick(fr.Option1, Qt::LeftButton);
            QTest::mouseClick(fr.Command1, Qt::LeftButton);
        });
        m_app->start();

        QVERIFY(agreement.answered());
        QVERIFY(!windowsShownWithAgreement);
        QVERIFY(!forms().loadedFr() || !forms().loadedFr()->isVisible());
        Form1* form1 = forms().loadedForm1();
        QVERIFY(!form1->isVisible());
        QVERIFY(!form1->isFormEnabled());
        Form2* form2 = forms().loadedForm2();
        QVERIFY(form2);
        QVERIFY(form2->isVisible());
        QVERIFY(form2->isFormEnabled());
        QCOMPARE(form2->Combo1->currentText(), "No Port Selected");
        QVERIFY(!form2->Command1->isEnabled());
        QVERIFY(!form2->Command3->isEnabled());

        const AppState& state = m_app->app().state();
        QCOMPARE(state.CommPort, QString());
        QCOMPARE(state.CallerIdCommand, callerIdCommand);
        QCOMPARE(state.AutoUpdate, autoUpdate);
        QCOMPARE(state.BlockingEnabled, blocking);
        QVERIFY(!state.AgreementPending);
        QCOMPARE(m_app->platform().end.ends, 0);
        QVERIFY(m_app->platform().messages.shown.empty());
    }

    void agreement_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<bool>("nextEnabled");
        QTest::addColumn<int>("ends");
        QTest::newRow("nothing chosen") << QStringList() << false << 0;
        QTest::newRow("agree") << QStringList { "agree" } << true << 0;
        QTest::newRow("refuse") << QStringList { "refuse" } << false << 1;
        QTest::newRow("agree, then refuse") << QStringList { "agree", "refuse" } << true << 1;
        QTest::newRow("agree, then the selection moves on")
            << QStringList { "agree", "null" } << true << 0;
        QTest::newRow("frame close is ignored") << QStringList { "close" } << false << 0;
    }

    void agreement()
    {
        QFETCH(QStringList, steps);
        QFETCH(bool, nextEnabled);
        QFETCH(int, ends);

        bool startsUnchosen = false;
        bool textAsDesigned = false;
        bool nextEnabledAfterSteps = !nextEnabled;
        bool stillShown = false;
        int endsAfterSteps = -1;
        ModalAnswer<Fr> agreement([&](Fr& fr) {
            startsUnchosen = fr.Option3->isChecked() && !fr.Option1->isChecked()
                && !fr.Option2->isChecked() && fr.Option3->y() >= fr.height()
                && !fr.Command1->isEnabled();
            textAsDesigned = !fr.Text1->isEnabled()
                && fr.Text1->toPlainText().replace(u'\n', QStringLiteral("\r\n"))
                    == Fr::kAgreementText;
            for (const QString& step : steps) {
                if (step == QLatin1String("agree"))
                    QTest::mouseClick(fr.Option1, Qt::LeftButton);
                else if (step == QLatin1String("refuse"))
                    QTest::mouseClick(fr.Option2, Qt::LeftButton);
                else if (step == QLatin1String("null"))
                    fr.Option3->setChecked(true);
                else
                    fr.close();
            }
            nextEnabledAfterSteps = fr.Command1->isEnabled();
            stillShown = fr.isVisible();
            endsAfterSteps = m_app->platform().end.ends;
            // Past a refusal the real program has ended; the test leaves the window its own way.
            if (fr.Command1->isEnabled() && endsAfterSteps == 0)
                QTest::mouseClick(fr.Command1, Qt::LeftButton);
            else
                fr.hide();
        });
        m_app->start();

        QVERIFY(agreement.answered());
        QVERIFY(startsUnchosen);
        QVERIFY(textAsDesigned);
        QCOMPARE(nextEnabledAfterSteps, nextEnabled);
        QVERIFY(stillShown);
        QCOMPARE(endsAfterSteps, ends);
    }

    void closingMainWindow_closesOpenPortThenEnds()
    {
        ModemSim modem;
        QVERIFY(modem.start(m_app->dir(), 1));
        m_app->writeSettings(QStringLiteral("com1:"));
        m_app->writeEmptyPhoneBook();
        m_app->start();
        Form1* form1 = forms().loadedForm1();
        QVERIFY(form1);
        // The port as monitoring leaves it open.
        form1->MSComm1->setCommPort(1);
        form1->MSComm1->setSettings(QStringLiteral("19200,N,8,1"));
        form1->MSComm1->open();
        bool portOpenAtEnd = true;
        m_app->platform().end.onEnd
            = [&portOpenAtEnd, form1] { portOpenAtEnd = form1->MSComm1->portOpen(); };

        form1->close();

        QCOMPARE(m_app->platform().end.ends, 1);
        QVERIFY(!portOpenAtEnd);
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
