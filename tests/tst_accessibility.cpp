#include "app/Halvoren.h"
#include "support/ScriptedSerialLink.h"
#include "support/TestApp.h"
#include "windows/AppContext.h"
#include "windows/FormRegistry.h"
#include "windows/main/Form1.h"
#include "windows/main/LogBox.h"

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

// What a screen reader finds in the main window: the counters with their counts, the call log as
// text, and a logged call as it comes.
class TestAccessibility : public QObject
{
    Q_OBJECT

private:
    TestApp m_app;

    Form1* form1() { return m_app.app().context().forms.loadedForm1(); }

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
        QVERIFY(QTest::qWaitForWindowActive(form1()));
    }

    // The log holds the text given and shows it as plain text, drawn, copied and read one line a
    // line, control characters as the symbols that stand for them; each append reaches a screen
    // reader at its offset.
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
        QTest::newRow("markup and control characters")
            << QStringList { "NAME = <b>x</b> &amp;\r\n",
                   QStringLiteral("NUL[%1] BEL[\a] ESC[\x1b] DEL[\x7f] C1[\u0085]\r\n\ab")
                       .arg(QChar(0)) }
            << u"NAME = <b>x</b> &amp;\nNUL[\u2400] BEL[\u2407] ESC[\u241b] DEL[\u2421] C1[\ufffd]\n\u2407b"_qs
            << 22 << u"NUL[\u2400] BEL[\u2407] ESC[\u241b] DEL[\u2421] C1[\ufffd]\n"_qs;
        QTest::newRow("on the last line") << QStringList { "RING\r\nNMBR = 555", "1234567" }
                                          << "RING\nNMBR = 5551234567" << 5 << "NMBR = 5551234567";
    }

    void logText()
    {
        QFETCH(QStringList, appends);
        QFETCH(QString, shown);
        QFETCH(int, offset);
        QFETCH(QString, line);
        Form1* form = form1();
        LogBox* log = form->Text1;
        form->setLogText(QStringLiteral("old text that setLogText replaces"));
        form->setLogText(QString());
        g_inserted.clear();
        for (const QString& text : appends)
            form->appendLog(text);
        QCOMPARE(form->logText(), appends.join(QString()));
        QCOMPARE(log->toPlainText(), shown);
        const QImage raw = log->viewport()->grab().toImage();
        form->focusLog();
        QCOMPARE(QApplication::focusWidget(), log);
        QTest::keyClick(log, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(log, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), shown);
        QAccessibleInterface* iface = accessible(log);
        QVERIFY(iface->role() == QAccessible::EditableText && iface->state().readOnly);
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
        form->setLogText(shown);
        QCOMPARE(log->viewport()->grab().toImage(), raw);
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
        QCOMPARE(QStringList({ accessible(form->Label2[0])->text(QAccessible::Description),
                     accessible(form->Label2[1])->text(QAccessible::Description) }),
            QStringList({ "1", "0" }));
        QVERIFY(std::any_of(g_inserted.cbegin(), g_inserted.cend(), [](const auto& insert) {
            return insert.second.contains("NMBR = 5551234567\nNAME = JOHN\n");
        }));
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
