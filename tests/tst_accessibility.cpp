#include "app/Halvoren.h"
#include "support/ScriptedSerialLink.h"
#include "support/TestApp.h"
#include "windows/AppContext.h"
#include "windows/FormRegistry.h"
#include "windows/config/Form2.h"
#include "windows/config/Form3.h"
#include "windows/config/Fr.h"
#include "windows/main/Form1.h"
#include "windows/main/Form4.h"
#include "windows/main/LogBox.h"
#include "windows/phonebook/Phonebook.h"

#include <QtGui/private/qguiapplication_p.h>
#include <QtTest>
#include <QtWidgets>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

namespace {

// What reached assistive technology: texts inserted into the log, at their offsets, and the
// names windows took.
QList<QPair<int, QString>> g_inserted;
QStringList g_titles;

void record(QAccessibleEvent* event)
{
    auto* widget = qobject_cast<QWidget*>(event->object());
    if (event->type() == QAccessible::TextInserted && qobject_cast<LogBox*>(widget)) {
        auto* insert = static_cast<QAccessibleTextInsertEvent*>(event);
        g_inserted << qMakePair(insert->changePosition(), insert->textInserted());
    } else if (event->type() == QAccessible::NameChanged && widget && widget->isWindow()) {
        g_titles << widget->windowTitle();
    }
}

QAccessibleInterface* accessible(QObject* object)
{
    return QAccessible::queryAccessibleInterface(object);
}

} // namespace

// What a screen reader finds in the windows: a name for every control Tab reaches, the counters
// with their counts, the call log as text, and a logged call as it comes.
class TestAccessibility : public QObject
{
    Q_OBJECT

private:
    TestApp m_app;

    FormRegistry& forms() { return m_app.app().context().forms; }
    Form1* form1() { return forms().loadedForm1(); }

private slots:
    void initTestCase()
    {
        // Qt passes events on only while accessibility is on, as a screen reader turns it on.
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
        QAccessible::installUpdateHandler(&record);
        // Every port the program opens is a modem that answers, rings once and tells its caller.
        m_app.platform().platform.makeSerialLink = [] {
            auto modem = std::make_unique<ScriptedSerialLink>();
            for (const char* chunk :
                { "OK\r\n", "\r\nRING\r\n", "\r\nNMBR = 5551234567\r\nNAME = JOHN\r\n" })
                modem->send(QString::fromLatin1(chunk));
            return modem;
        };
        m_app.writeSettings();
        m_app.writeEmptyPhoneBook();
        m_app.start();
        QVERIFY(form1());
    }

    void names_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("name");
        const auto row = [](const char* window, const char* control, const char* name) {
            QTest::addRow("%s %s", window, control) << window << control << name;
        };
        row("Form1", "Text1", "Call log");
        row("Form1", "Command7", "About Halvoren");
        row("Form4", "Command1", "OK");
        row("Form2", "Command8", "About Halvoren");
        row("Form2", "Combo1", "Modem Comm Port");
        row("Form3", "Drive1", "Drive:");
        row("Form3", "Dir1", "Directory");
        row("Form3", "File1", "Filename");
        row("Phonebook", "Text1", "Phone Number");
        row("Phonebook", "Text3", "Shows Picture");
        row("Phonebook", "Text2", "Plays wav file");
        row("Phonebook", "Command9", "Locate picture file");
        row("Phonebook", "Command1", "Locate wav file");
        row("Phonebook", "VScroll1", "Entry");
        row("Fr", "Text1", "Agreement");
    }

    // Walks the window's focus chain as Tab does: every control it reaches has a name.
    void names()
    {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(QString, name);
        const QList<QWidget*> windows { form1(), &forms().form2(), &forms().form3(),
            &forms().form4(), &forms().fr(), &forms().phonebook() };
        QWidget* form = *std::find_if(windows.cbegin(), windows.cend(),
            [&](QWidget* w) { return w->objectName() == window; });
        QStringList unnamed;
        QString found;
        for (QWidget* w = form->nextInFocusChain(); w != form; w = w->nextInFocusChain()) {
            if (!(w->focusPolicy() & Qt::TabFocus) || w->focusProxy() || w->window() != form)
                continue;
            QAccessibleInterface* iface = accessible(w);
            const QString shown = iface->text(QAccessible::Name);
            if (shown.isEmpty())
                unnamed << w->objectName();
            // On Linux Qt names a combo box by its text, as GTK does, and points to its label.
            const auto labels = iface->relations(QAccessible::Label);
            if (w->objectName() == control)
                found = qobject_cast<QComboBox*>(w) && !labels.isEmpty()
                    ? labels.first().first->text(QAccessible::Name)
                    : shown;
        }
        QCOMPARE(found, name);
        QCOMPARE(unnamed, QStringList());
    }

    // The log as shown, one line a line; each append reaches a screen reader at its offset.
    void logText_data()
    {
        QTest::addColumn<QStringList>("appends");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("line");
        QTest::newRow("a call") << QStringList { "Activated:\r\n12-24-2026\r\n",
            "\r\nNMBR = 5551234567\r\n++++++++\r\n" }
                                << "Activated:\n12-24-2026\n\nNMBR = 5551234567\n++++++++\n"
                                << 25 << "NMBR = 5551234567\n";
        QTest::newRow("CR LF split, lone CR and LF")
            << QStringList { "RING\r", "\nNMBR\r5551234567\n" } << "RING\nNMBR\n5551234567\n"
            << 21 << "";
        QTest::newRow("control character") << QStringList { "RING\r\n", "A\aB\r\n" }
                                           << u"RING\nA\u2407B\n"_qs << 6 << u"A\u2407B\n"_qs;
        QTest::newRow("on the last line") << QStringList { "RING\r\nNMBR = 555", "1234567" }
                                          << "RING\nNMBR = 5551234567" << 5 << "NMBR = 5551234567";
    }

    void logText()
    {
        QFETCH(QStringList, appends);
        QFETCH(QString, shown);
        QFETCH(int, offset);
        QFETCH(QString, line);
        LogBox* log = form1()->Text1;
        log->setLogText(QString());
        g_inserted.clear();
        for (const QString& text : appends)
            log->appendLog(text);
        QAccessibleInterface* iface = accessible(log);
        QCOMPARE(iface->role(), QAccessible::EditableText);
        QVERIFY(iface->state().readOnly);
        QAccessibleTextInterface* text = iface->textInterface();
        QVERIFY(text);
        QCOMPARE(text->characterCount(), shown.size());
        QCOMPARE(text->text(0, shown.size()), shown);
        QCOMPARE(text->text(2, shown.size() - 1), shown.mid(2, shown.size() - 3));
        int start = -1, end = -1;
        QCOMPARE(text->textAtOffset(offset, QAccessible::LineBoundary, &start, &end), line);
        QCOMPARE(text->text(start, end), line);
        QCOMPARE(text->text(start - 1, end), shown.mid(start - 1, end - start + 1));
        QString inserted;
        for (const auto& [position, piece] : g_inserted) {
            QCOMPARE(position, inserted.size());
            inserted += piece;
        }
        QCOMPARE(inserted, shown);
    }

    // A call through Activate: the caller reaches the log's reader, the counters count it, and
    // the window's caption is read as it changes.
    void call()
    {
        Form1* form = form1();
        form->setLogText(QString());
        g_inserted.clear();
        g_titles.clear();
        QTimer deactivate;
        connect(&deactivate, &QTimer::timeout, form, [&] {
            if (form->logText().contains("5551234567")) {
                deactivate.stop();
                form->Command1->click();
            }
        });
        deactivate.start(10);
        form->Command1->click();
        QCOMPARE(g_titles,
            QStringList({ "Halvoren 1.5 waiting for calls", "Halvoren activating caller ID",
                "Halvoren 1.5 waiting for calls", "Halvoren 1.5 timming out events",
                "Halvoren 1.5 standing by" }));
        QCOMPARE(accessible(form->Label2[0])->text(QAccessible::Name), "Total Calls");
        QCOMPARE(accessible(form->Label2[0])->text(QAccessible::Description), "1");
        QCOMPARE(accessible(form->Label2[1])->text(QAccessible::Name), "Total Blocked");
        QCOMPARE(accessible(form->Label2[1])->text(QAccessible::Description), "0");
        QVERIFY(std::any_of(g_inserted.cbegin(), g_inserted.cend(), [](const auto& insert) {
            return insert.second.contains("NMBR = 5551234567\nNAME = JOHN\n");
        }));
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
