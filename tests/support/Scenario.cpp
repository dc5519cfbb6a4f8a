#include "Scenario.h"

#include "ModemSim.h"
#include "app/Halvoren.h"
#include "windows/main/Form1.h"
#include "windows/main/Form4.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTest>
#include <QTimer>

bool Scenario::run(
    const std::function<void()>& procedure, const std::function<void()>& onTimeOut, int limitMs)
{
    QTimer poll;
    bool acting = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        // An action may itself yield (a click that runs a nested loop); do not re-enter meanwhile.
        if (acting || steps.empty() || !steps.front().when())
            return;
        const Step step = steps.front();
        steps.pop_front();
        acting = true;
        step.then();
        acting = false;
    });
    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        poll.stop();
        if (!steps.empty())
            qWarning().noquote() << "the test gave up waiting for:" << steps.front().what;
        onTimeOut();
    });
    poll.start(5);
    watchdog.start(limitMs);
    procedure();
    return steps.empty();
}

ProgramRig::ProgramRig(int tickMs, bool autoUpdate, bool configured)
    : app(tickMs)
{
    if (configured)
        app.writeSettings(QStringLiteral("com1:"), autoUpdate, true);
    if (configured)
        app.writeFile(QStringLiteral("phone.ini"),
            "+\r\n5551234567\r\nN\r\n" + app.path("ann.bmp").toUtf8() + "\r\n"
                + app.path("ann.wav").toUtf8() + "\r\n+\r\n5550001111\r\nB\r\n\r\n\r\n"
                + QByteArray("+\r\n\r\n\r\n\r\n\r\n").repeated(3));
    QImage picture(7, 5, QImage::Format_RGB32);
    picture.fill(Qt::red);
    picture.save(app.path(QStringLiteral("ann.bmp")));
    app.start();
    form1 = app.app().context().forms.loadedForm1();
}

bool ProgramRig::waitingForRing(bool modemAnswered) const
{
    return modemAnswered && monitoring() && !form1->Timer1->isActive()
        && form1->windowTitle() == QLatin1String("Halvoren 1.5 waiting for calls");
}

bool ProgramRig::play(ModemSim& modem, const QStringList& steps)
{
    const auto answers = [&modem] { return modem.events().count(QStringLiteral("rx AT+VCID=1")); };
    const int before = answers();
    QElapsedTimer since;
    since.start();
    Scenario scenario;
    for (const QString& step : steps) {
        const QString when = step.section(QStringLiteral(": "), 0, 0);
        const QString then = step.section(QStringLiteral(": "), 1);
        const QString what = when.section(u' ', 1);
        const auto holds = [=, &modem, &since] {
            const QString title = form1->windowTitle();
            const Form4* about = app.app().context().forms.loadedForm4();
            return when == "waiting" ? waitingForRing(answers() > before)
                : when == "ringing"
                ? monitoring() && form1->Timer1->isActive() && title.endsWith("calls")
                : when == "timing out" ? title == QLatin1String("Halvoren 1.5 timming out events")
                : when == "settled"    ? since.elapsed() > 500 && waitingForRing(true)
                : when == "about"      ? about && about->isVisible()
                : when == "enabled"    ? form1->isFormEnabled()
                : when.startsWith("counters") ? counters() == what
                : when.startsWith("modem")    ? modem.events().contains(what)
                                              : app.app().state().ReceiveBuffer.contains(what);
        };
        const auto act = [=, &modem, &since] {
            since.start();
            if (then.startsWith("About"))
                return QTest::mouseClick(then == "About"
                        ? form1->Command7
                        : app.app().context().forms.loadedForm4()->Command1,
                    Qt::LeftButton);
            if (then != "Deactivate" && then != "double click")
                return modem.command(then);
            lastLog = log();
            QMetaObject::invokeMethod(form1->Command1, "click", Qt::QueuedConnection);
            if (then == "double click")
                QMetaObject::invokeMethod(form1->Command1, "click", Qt::QueuedConnection);
        };
        scenario.steps.push_back({ holds, act, step });
    }
    return activate(scenario);
}

bool ProgramRig::activate(Scenario& scenario)
{
    return scenario.run([this] { QTest::mouseClick(form1->Command1, Qt::LeftButton); },
        [this] {
            if (monitoring())
                QTest::mouseClick(form1->Command1, Qt::LeftButton);
        });
}
