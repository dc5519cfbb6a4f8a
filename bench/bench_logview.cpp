#include "Bench.h"
#include "windows/AppFonts.h"
#include "windows/main/LogBox.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <memory>

using namespace Qt::StringLiterals;

// The log box alone, offscreen, as Form1 has it: the program's LogBox ("logbox") against a
// QPlainTextEdit that drops the layouts of the blocks above the view ("clearlayout") and one that
// keeps only the last 2,000 blocks ("maxblocks"), both with the whole log kept beside them for
// Save and Print. Each call is given as the monitor gives it: two appends, the end shown, the
// event loop run. One view per run, so that its peak memory is the process's.
namespace {

// The program at rest (bench_startup: about 30 MB) leaves this much of the 40 MB peak to the log.
constexpr double kViewGrowthTargetMb = 10;
constexpr double kGrowthPerCallTargetKb = 1;
constexpr double kGrowthTargetFactor = 2;
constexpr int kGrowthFromCall = 1000;
constexpr int kKeptBlocks = 2000;
// A blocked call's two entries: 131 characters, 11 lines.
const QString kCallerId
    = u"\r\nDATE = 1206\r\nTIME = 1945\r\nNMBR = 5550001111\r\nNAME = TELEMARKETING\r\n\r\n++++++++\r\n"_s;
const QString kBlocked = u"Phone number:\r\n5550001111\r\nWas blocked.\r\n+++++++\r\n"_s;

// Median CPU of the nine calls up to `call`, so that one call's scheduling noise does not decide.
qint64 cpuUpTo(const std::vector<qint64>& cpuUs, int call)
{
    return Bench::median(std::vector<qint64>(cpuUs.begin() + call - 9, cpuUs.begin() + call));
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    AppFonts::install();
    const QString kind = QCoreApplication::arguments().value(1);
    const int calls = QCoreApplication::arguments().value(2, u"10000"_s).toInt();
    if (!QStringList { "logbox", "clearlayout", "maxblocks" }.contains(kind)
        || calls <= kGrowthFromCall) {
        std::fputs(
            "usage: bench_logview logbox|clearlayout|maxblocks [CALLS above 1000]\n", stderr);
        return 2;
    }
    LogBox* box = kind == "logbox"_L1 ? new LogBox(nullptr) : nullptr;
    QPlainTextEdit* edit = box ? nullptr : new QPlainTextEdit;
    const std::unique_ptr<QAbstractScrollArea> view(
        box ? static_cast<QAbstractScrollArea*>(box) : edit);
    QString log;
    int laidOutFrom = 0;
    if (edit) {
        edit->setReadOnly(true);
        edit->setUndoRedoEnabled(false);
        edit->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        edit->setMaximumBlockCount(kind == "maxblocks"_L1 ? kKeptBlocks : 0);
    }
    view->setFont(AppFonts::tahoma(8.25, true));
    QPalette colours = view->palette();
    colours.setColor(QPalette::Base, QColor(128, 128, 128));
    colours.setColor(QPalette::Text, Qt::black);
    view->setPalette(colours);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    view->resize(161, 121);
    view->show();
    QCoreApplication::processEvents();
    const auto append = [&](const QString& text) {
        if (box)
            return box->appendLog(text);
        log += text;
        QTextCursor end(edit->document());
        end.movePosition(QTextCursor::End);
        end.insertText(text);
    };

    const qint64 beforeKb = Bench::statusKb("VmRSS");
    qint64 fromKb = 0;
    std::vector<qint64> cpuUs;
    for (int call = 1; call <= calls; ++call) {
        const qint64 cpu = Bench::cpuUs();
        append(kCallerId);
        append(kBlocked);
        if (box)
            box->showEnd();
        else
            edit->verticalScrollBar()->setValue(edit->verticalScrollBar()->maximum());
        if (kind == "clearlayout"_L1) {
            const int first = edit->cursorForPosition(QPoint(0, 0)).blockNumber();
            for (QTextBlock block = edit->document()->findBlockByNumber(laidOutFrom);
                 block.blockNumber() < first; block = block.next())
                block.clearLayout();
            laidOutFrom = first;
        }
        QCoreApplication::processEvents();
        cpuUs.push_back(Bench::cpuUs() - cpu);
        if (call == kGrowthFromCall)
            fromKb = Bench::statusKb("VmRSS");
    }
    const qint64 lastKb = Bench::statusKb("VmRSS");
    const qint64 peakKb = Bench::statusKb("VmHWM");

    Bench::heading(u"Log view %1: %2 calls of %3 characters, %4 x %5 pixels, %6 platform"_s.arg(
        kind, Bench::number(calls), QString::number(kCallerId.size() + kBlocked.size()),
        QString::number(view->width()), QString::number(view->height()),
        QGuiApplication::platformName()));
    const double growthMb = (peakKb - beforeKb) / 1024.0;
    Bench::figure(u"peak memory grown over the calls"_s,
        u"%1 MB (peak %2 MB)"_s.arg(growthMb, 0, 'f', 1).arg(peakKb / 1024.0, 0, 'f', 1),
        u"< %1 MB"_s.arg(kViewGrowthTargetMb), growthMb < kViewGrowthTargetMb);
    const double perCallKb = double(lastKb - fromKb) / (calls - kGrowthFromCall);
    Bench::figure(u"memory grown per call, call %1 to %2"_s.arg(
                      Bench::number(kGrowthFromCall), Bench::number(calls)),
        u"%1 kB"_s.arg(perCallKb, 0, 'f', 2), u"< %1 kB"_s.arg(kGrowthPerCallTargetKb),
        perCallKb < kGrowthPerCallTargetKb);
    const qint64 firstUs = cpuUpTo(cpuUs, 10);
    const qint64 lastUs = cpuUpTo(cpuUs, calls);
    Bench::figure(u"CPU per call at call 10 / %1"_s.arg(Bench::number(calls)),
        Bench::msFromUs(firstUs) + u" / "_s + Bench::msFromUs(lastUs),
        u"< "_s + Bench::msFromUs(qint64(kGrowthTargetFactor * firstUs)),
        lastUs < kGrowthTargetFactor * firstUs);
    if (edit) {
        int laidOut = 0;
        for (QTextBlock block = edit->document()->begin(); block.isValid(); block = block.next())
            laidOut += block.layout()->lineCount() > 0 ? 1 : 0;
        Bench::detail(u"blocks in the view / laid out"_s,
            u"%1 / %2"_s.arg(edit->document()->blockCount()).arg(laidOut));
    }
    return 0;
}
