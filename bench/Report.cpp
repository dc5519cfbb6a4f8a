#include "Report.h"

#include "Measure.h"

#include <QLocale>
#include <cstdio>

namespace Report {

namespace {

    constexpr int kWhatWidth = 52;
    constexpr int kValueWidth = 34;

    void print(const QString& line)
    {
        std::fputs(qPrintable(line + u'\n'), stdout);
        std::fflush(stdout);
    }

} // namespace

void heading(const QString& text)
{
    print(QString());
    print(text);
}

void note(const QString& text)
{
    print(QStringLiteral("  ") + text);
}

void figure(const QString& what, const QString& value, const QString& target, bool met)
{
    print(
        QStringLiteral("  %1 %2 target %3  %4")
            .arg(what.leftJustified(kWhatWidth, u'.'), value.leftJustified(kValueWidth),
                target.leftJustified(14), met ? QStringLiteral("met") : QStringLiteral("MISSED")));
}

void detail(const QString& what, const QString& value)
{
    print(QStringLiteral("  %1 %2").arg(what.leftJustified(kWhatWidth, u'.'), value));
}

QString ms(double milliseconds)
{
    return QStringLiteral("%1 ms").arg(milliseconds, 0, 'f', milliseconds < 10 ? 2 : 0);
}

QString msFromUs(qint64 microseconds)
{
    return ms(microseconds / 1000.0);
}

QString medianAndWorst(const std::vector<qint64>& microseconds)
{
    return QStringLiteral("median %1, worst %2")
        .arg(msFromUs(Measure::median(microseconds)), msFromUs(Measure::worst(microseconds)));
}

QString number(qint64 value)
{
    return QLocale(QLocale::English).toString(value);
}

} // namespace Report
