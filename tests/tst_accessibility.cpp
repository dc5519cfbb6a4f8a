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

// What a screen reader finds in the main window: the counters with their counts, a logged call
// as it comes, and the window's caption as it changes.
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
