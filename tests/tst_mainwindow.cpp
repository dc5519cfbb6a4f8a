#include "app/Halvoren.h"
#include "state/AppState.h"
#include "support/ModalAnswer.h"
#include "support/TestApp.h"
#include "windows/config/Form2.h"
#include "windows/main/Form1.h"
#include "windows/main/Form4.h"
#include "windows/main/LogBox.h"
#include "windows/phonebook/Phonebook.h"

#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <utility>

// The main window's commands, each checked by what it leaves behind: the log, the counters, the
// files written, what was printed or started, and which windows are shown or enabled.
class TestMainWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestApp> m_app;
    Form1* m_form1 = nullptr;

    FormRegistry& forms() { return m_app->app().context().forms; }
    RecordingMessageBoxes& messages() { return m_app->platform().messages; }

    void click(QWidget* control)
    {
        QVERIFY(control->isEnabled());
        QTest::mouseClick(control, Qt::LeftButton);
    }

    // Lines "line 0" to "line 199", then the empty line after the last CR LF; the log has the
    // focus.
    void fillLog()
    {
        for (int i = 0; i < 200; ++i)
            m_form1->appendLog(QStringLiteral("line %1\r\n").arg(i));
        m_form1->focusLog();
        QCOMPARE(QApplication::focusWidget(), m_form1->Text1);
    }

    // The first and the last line the log box shows, point by point down its viewport.
    std::pair<int, int> shownLines() const
    {
        std::pair<int, int> shown { -1, -1 };
        for (int y = 0; y < m_form1->Text1->viewport()->height(); ++y) {
            const int line = m_form1->Text1->lineAt(QPoint(10, y));
            if (line >= 0 && shown.first < 0)
                shown.first = line;
            shown.second = line >= 0 ? line : shown.second;
        }
        return shown;
    }

    QImage drawnLog() const { return m_form1->Text1->viewport()->grab().toImage(); }

private slots:
    void init()
    {
        m_app = std::make_unique<TestApp>();
        m_app->writeSettings();
        m_app->writeEmptyPhoneBook();
        m_app->start();
        m_form1 = forms().loadedForm1();
        QVERIFY(m_form1);
        QVERIFY(QTest::qWaitForWindowActive(m_form1));
    }

    void cleanup()
    {
        m_app.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void clearLog_zeroesLogAndCounters()
    {
        AppState& state = m_app->app().state();
        m_form1->appendLog(QStringLiteral("RING data\r\n++++++++\r\n"));
        m_form1->setTotalCallsCaption(QStringLiteral("3"));
        m_form1->setBlockedCallsCaption(QStringLiteral("1"));
        state.TotalCalls = 3;
        state.LogEntryCount = 4;

        click(m_form1->Command2);

        QCOMPARE(m_form1->logText(), QString());
        QCOMPARE(m_form1->Text1->toPlainText(), QString());
        QCOMPARE(m_form1->Label2[0]->text(), "0");
        QCOMPARE(m_form1->Label2[1]->text(), "0");
        QCOMPARE(int(state.TotalCalls), 0);
        QCOMPARE(int(state.LogEntryCount), 0);
    }

    void saveLog_data()
    {
        QTest::addColumn<QStringList>("logsSaved");
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("empty log") << QStringList { "" } << QByteArray("\r\n");
        QTest::newRow("log text") << QStringList { "Activated:\r\n+++++++\r\n" }
                                  << QByteArray("Activated:\r\n+++++++\r\n\r\n");
        QTest::newRow("second save replaces the first")
            << QStringList { "first call\r\nmore\r\n", "second" } << QByteArray("second\r\n");
    }

    void saveLog()
    {
        QFETCH(QStringList, logsSaved);
        QFETCH(QByteArray, file);
        for (const QString& log : logsSaved) {
            m_form1->setLogText(log);
            click(m_form1->Command5);
        }
        QCOMPARE(m_app->readFile(QStringLiteral("ccalls.log")), file);
        QVERIFY(messages().shown.empty());
    }

    void printLog_printsTheLogText()
    {
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        m_form1->appendLog(QStringLiteral("Activated:\r\n12-24-2026\r\n+++++++\r\n"));
        m_form1->appendLog(QStringLiteral("NMBR = 5551234567\r\n++++++++\r\n"));

        click(m_form1->Command6);

        QProcess reader;
        reader.start(pdftotext, { m_app->platform().printedPdf(), QStringLiteral("-") });
        QVERIFY(reader.waitForFinished());
        const QStringList lines = QString::fromUtf8(reader.readAllStandardOutput())
                                      .split(u'\n', Qt::SkipEmptyParts)
                                      .filter(QRegularExpression(QStringLiteral("\\S")));
        QCOMPARE(lines,
            QStringList(
                { "Activated:", "12-24-2026", "+++++++", "NMBR = 5551234567", "++++++++" }));
        QVERIFY(messages().shown.empty());
    }

    void printLog_failureIsReportedWithoutWaiting()
    {
        // A folder where the PDF should go makes the printer fail.
        QVERIFY(QDir().mkpath(m_app->platform().printedPdf()));
        click(m_form1->Command6);
        QCOMPARE(messages().shown.size(), size_t(1));
        QVERIFY(messages().shown.front().text.startsWith("The log was not printed."));
        QCOMPARE(messages().shown.front().modal, false);
    }

    void help_data()
    {
        QTest::addColumn<bool>("readmePresent");
        QTest::addColumn<bool>("viewerAvailable");
        QTest::addColumn<QString>("message");
        QTest::newRow("opens readme") << true << true << QString();
        QTest::newRow("readme missing") << false << true << "The help file %1 was not found.";
        QTest::newRow("no viewer") << true << false << "No program could be started to show %1.";
    }

    void help()
    {
        QFETCH(bool, readmePresent);
        QFETCH(bool, viewerAvailable);
        QFETCH(QString, message);
        const QString readme = m_app->path(QStringLiteral("readme.txt"));
        if (!readmePresent)
            QVERIFY(QFile::remove(readme));
        m_app->platform().launcher.viewerAvailable = viewerAvailable;

        click(m_form1->Command4);

        QCOMPARE(m_app->platform().launcher.openedFiles,
            readmePresent ? QStringList { readme } : QStringList());
        if (message.isEmpty()) {
            QVERIFY(messages().shown.empty());
        } else {
            QCOMPARE(messages().texts(), { message.arg(QDir::toNativeSeparators(readme)) });
            QCOMPARE(messages().shown.front().modal, false);
        }
    }

    void config_whileMonitoring_showsOnlyTheMessage()
    {
        m_form1->setActivateCaption(QStringLiteral("&Deactivate"));
        click(m_form1->Command3);

        QCOMPARE(messages().texts(), { "please deactivate halvoren first!" });
        QCOMPARE(messages().shown.front().icon, MessageIcon::Exclamation);
        QCOMPARE(messages().shown.front().modal, false);
        QVERIFY(!forms().loadedForm2());
        QVERIFY(m_form1->isFormEnabled());
        QVERIFY(m_form1->isVisible());
    }

    void config_opensConfigurationWindow()
    {
        click(m_form1->Command3);

        Form2* form2 = forms().loadedForm2();
        QVERIFY(form2);
        QVERIFY(form2->isVisible());
        QVERIFY(form2->isFormEnabled());
        QVERIFY(!form2->Command7->isEnabled());
        QCOMPARE(form2->Label3->text(), "You can re-detect your communication ports if you wish.");
        QVERIFY(!m_form1->isFormEnabled());
        QVERIFY(messages().shown.empty());
    }

    void about_disablesMainWindowUntilOk_data()
    {
        QTest::addColumn<bool>("closeFromFrame");
        QTest::newRow("OK") << false;
        QTest::newRow("frame close") << true;
    }

    void about_disablesMainWindowUntilOk()
    {
        QFETCH(bool, closeFromFrame);
        click(m_form1->Command7);

        QPointer<Form4> form4 = forms().loadedForm4();
        QVERIFY(form4);
        QVERIFY(form4->isVisible());
        QVERIFY(!m_form1->isFormEnabled());
        QCOMPARE(form4->Label2[1]->text().left(12), "Programming:");
        QVERIFY(form4->Label2[2]->text().startsWith("Testing:  "));
        QVERIFY(form4->Label2[2]->text().contains(u'/'));

        if (closeFromFrame)
            form4->close();
        else
            click(form4->Command1);

        QVERIFY(m_form1->isFormEnabled());
        QVERIFY(!forms().loadedForm4());
        QTRY_VERIFY(!form4);
        // Enabling the configuration window loads it without showing it.
        QVERIFY(forms().loadedForm2());
        QVERIFY(!forms().loadedForm2()->isVisible());
    }

    void about_fromConfigurationWindow_enablesBoth()
    {
        click(m_form1->Command3);
        Form2* form2 = forms().loadedForm2();
        QVERIFY(form2);
        click(form2->Command8);
        QVERIFY(!form2->isFormEnabled());
        Form4* form4 = forms().loadedForm4();
        QVERIFY(form4);

        click(form4->Command1);

        QVERIFY(m_form1->isFormEnabled());
        QVERIFY(form2->isFormEnabled());
        QVERIFY(form2->isVisible());
        QVERIFY(!forms().loadedForm4());
    }

    void phonebook_opensEditorModally()
    {
        bool wasModal = false;
        ModalAnswer<Phonebook> editorShown([&wasModal](Phonebook& editor) {
            wasModal = editor.isModal();
            editor.hide();
        });
        click(m_form1->Command8);
        QVERIFY(editorShown.answered());
        QVERIFY(wasModal);
    }

    void logClick_disablesLogUntilFocusMoves_data()
    {
        QTest::addColumn<QString>("nextControl");
        QTest::newRow("tab") << QString();
        QTest::newRow("click on a button") << "Command4";
    }

    void logClick_disablesLogUntilFocusMoves()
    {
        QFETCH(QString, nextControl);
        LogBox* log = m_form1->Text1;
        log->setFocus();
        QTest::mouseClick(log->viewport(), Qt::LeftButton);
        QVERIFY(!log->isEnabled());
        // The focus Qt takes off the disabled box does not count as the user moving it.
        QCoreApplication::processEvents();
        QVERIFY(!log->isEnabled());
        // Nor does the window hand the focus to a control the user did not pick.
        QCOMPARE(QApplication::focusWidget(), m_form1);

        if (nextControl.isEmpty())
            QTest::keyClick(m_form1, Qt::Key_Tab);
        else
            QTest::mouseClick(m_form1->findChild<QPushButton*>(nextControl), Qt::LeftButton);
        QVERIFY(log->isEnabled());
    }

    void log_showsPlainText_data()
    {
        QTest::addColumn<QStringList>("appends");
        QTest::addColumn<QString>("shown");
        QTest::newRow("markup stays literal")
            << QStringList { "NAME = <b>x</b> &amp;\r\n" } << "NAME = <b>x</b> &amp;\n";
        QTest::newRow("CR LF is one line break") << QStringList { "a\r\nb\r\n" } << "a\nb\n";
        QTest::newRow("CR LF split over two appends") << QStringList { "a\r", "\nb" } << "a\nb";
        QTest::newRow("lone CR and LF") << QStringList { "a\rb\nc" } << "a\nb\nc";
    }

    void log_showsPlainText()
    {
        QFETCH(QStringList, appends);
        QFETCH(QString, shown);
        m_form1->setLogText(QStringLiteral("old text that setLogText replaces"));
        m_form1->setLogText(QString());
        for (const QString& text : appends)
            m_form1->appendLog(text);
        QCOMPARE(m_form1->logText(), appends.join(QString()));
        QCOMPARE(m_form1->Text1->toPlainText(), shown);
    }

    void log_drawsControlCharactersAsSymbols()
    {
        m_form1->setLogText(
            QStringLiteral("NUL[%1] BEL[\a] ESC[\x1b] DEL[\x7f] C1[\u0085]").arg(QChar(0)));
        const QImage raw = drawnLog();
        m_form1->setLogText(
            QStringLiteral("NUL[\u2400] BEL[\u2407] ESC[\u241b] DEL[\u2421] C1[\ufffd]"));
        QCOMPARE(raw, drawnLog());
        m_form1->setLogText(QStringLiteral("NUL[] BEL[] ESC[] DEL[] C1[]"));
        QVERIFY(raw != drawnLog());
    }

    void logView_showsTheLinesScrolledTo_data()
    {
        QTest::addColumn<bool>("toEnd");
        QTest::addColumn<int>("barValue");
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::newRow("scroll to end") << true << -1 << QKeySequence() << -1 << 200;
        QTest::newRow("scroll bar to line 100") << false << 100 << QKeySequence() << 100 << -1;
        QTest::newRow("Down Down Up")
            << false << -1 << QKeySequence(Qt::Key_Down, Qt::Key_Down, Qt::Key_Up) << 1 << -1;
        QTest::newRow("Page Down, Page Up")
            << false << -1 << QKeySequence(Qt::Key_PageDown, Qt::Key_PageUp) << 0 << -1;
        QTest::newRow("Ctrl+End") << false << -1 << QKeySequence(Qt::CTRL | Qt::Key_End) << -1
                                  << 200;
        QTest::newRow("end, Ctrl+Home")
            << true << -1 << QKeySequence(Qt::CTRL | Qt::Key_Home) << 0 << -1;
    }

    void logView_showsTheLinesScrolledTo()
    {
        QFETCH(bool, toEnd);
        QFETCH(int, barValue);
        QFETCH(QKeySequence, keys);
        QFETCH(int, first);
        QFETCH(int, last);
        fillLog();
        if (toEnd)
            m_form1->showLogEnd();
        if (barValue >= 0)
            m_form1->Text1->verticalScrollBar()->setValue(barValue);
        QTest::keySequence(static_cast<QWidget*>(nullptr), keys);
        const std::pair<int, int> shown = shownLines();
        QCOMPARE(shown.first, first < 0 ? shown.first : first);
        QCOMPARE(shown.second, last < 0 ? shown.second : last);
    }

    void logView_pageDownShowsTheNextPage()
    {
        fillLog();
        const int lastShown = shownLines().second;
        QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_PageDown);
        // The line at the foot, perhaps cut off there, is now the top one or the one above it.
        const int first = shownLines().first;
        QVERIFY2(first == lastShown || first == lastShown + 1, qPrintable(QString::number(first)));
    }

    void logView_wrapsALongLineAndScrollsThroughItRowByRow()
    {
        QString words;
        for (int i = 0; i < 120; ++i)
            words += QStringLiteral("word%1 ").arg(i);
        m_form1->appendLog(words + QStringLiteral("\r\n"));
        fillLog();
        QCOMPARE(shownLines(), std::make_pair(0, 0));
        QTest::keyClick(m_form1->Text1, Qt::Key_PageDown);
        QCOMPARE(shownLines(), std::make_pair(0, 0));
        QTest::keyClick(m_form1->Text1, Qt::Key_Home);
        for (QImage shown = drawnLog(); shownLines().first == 0;) {
            QTest::keyClick(m_form1->Text1, Qt::Key_Down);
            QVERIFY(drawnLog() != shown);
            shown = drawnLog();
        }
        QCOMPARE(shownLines().first, 1);
    }

    void log_copiesAllItShows()
    {
        m_form1->setLogText(QStringLiteral("a\r\n\ab"));
        QTest::keyClick(m_form1->Text1, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(m_form1->Text1, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("a\n\u2407b"));
    }

    void showPicture_leavesBoxEmptyWhenUnreadable()
    {
        QVERIFY(!m_form1->Image1->pixmap().isNull());
        m_app->writeFile(QStringLiteral("broken.bmp"), "not a picture");
        QVERIFY(!m_form1->showPicture(m_app->path(QStringLiteral("broken.bmp"))));
        QVERIFY(m_form1->Image1->pixmap().isNull());
        QVERIFY(m_form1->showPicture(m_app->path(QStringLiteral("blank.bmp"))));
        QVERIFY(!m_form1->Image1->pixmap().isNull());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
