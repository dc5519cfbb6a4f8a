// A separate process for the fault tests.
//   fault-helper save FOLDER   writes the settings, the phone book and the call log into FOLDER/a
//                              and FOLDER/b (the two contents), then saves them in FOLDER over
//                              and over, a, b, a, ..., until it is killed; prints "saving" once
//                              FOLDER holds content a, and "round" after each round of saves.
//   fault-helper hold DEVICE   opens DEVICE as another program would, prints "held" and holds it
//                              until standard input closes.
#include "state/AppState.h"
#include "state/DataStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QSerialPort>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <limits>

namespace {

// Content a or b of every data file; the log is long enough to take a while to write.
void setContent(AppState& state, int content)
{
    const QString tag = content == 0 ? QStringLiteral("a") : QStringLiteral("b");
    state.AutoUpdate = content == 0;
    state.BlockingEnabled = content != 0;
    for (int i = 1; i <= PhoneBook::PhoneBookSize; ++i) {
        state.Book.PhoneNumber(i) = QStringLiteral("55500000%1%2").arg(i).arg(content);
        state.Book.BlockFlag(i) = content == 0 ? QStringLiteral("N") : QStringLiteral("B");
        state.Book.PictureFile(i) = QStringLiteral("/pictures/%1%2.jpg").arg(tag).arg(i);
        state.Book.WavFile(i) = QStringLiteral("/sounds/%1%2.wav").arg(tag).arg(i);
    }
}

QString logText(int content)
{
    return QStringLiteral("NMBR = 555000000%1\r\n++++++++\r\n").arg(content).repeated(5000);
}

void saveAll(AppState& state, DataStore& store, int content)
{
    setContent(state, content);
    store.SaveSettings(content == 0 ? QStringLiteral("com1:") : QStringLiteral("com2:"));
    store.SavePhoneBook();
    store.SaveCallLog(logText(content));
}

int saveForever(const QString& folder)
{
    AppState state;
    DataStore store(state);
    store.setWriteFailureHandler([](const QString& file, const QString& reason) {
        std::cerr << "could not write " << file.toStdString() << ": " << reason.toStdString()
                  << '\n';
        std::exit(2);
    });
    for (const int content : { 0, 1 }) {
        state.AppPath
            = QDir(folder).filePath(content == 0 ? QStringLiteral("a") : QStringLiteral("b"));
        QDir().mkpath(state.AppPath);
        saveAll(state, store, content);
    }
    state.AppPath = folder;
    saveAll(state, store, 0);
    std::puts("saving");
    std::fflush(stdout);
    for (int content = 1;; content = 1 - content) {
        saveAll(state, store, content);
        std::puts("round");
        std::fflush(stdout);
    }
}

int hold(const QString& device)
{
    QSerialPort port(device);
    if (!port.open(QIODevice::ReadWrite)) {
        std::cerr << "cannot open " << device.toStdString() << ": "
                  << port.errorString().toStdString() << '\n';
        return 2;
    }
    std::puts("held");
    std::fflush(stdout);
    std::string line;
    while (std::getline(std::cin, line)) { }
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 3 && arguments.at(1) == QLatin1String("save"))
        return saveForever(arguments.at(2));
    if (arguments.size() == 3 && arguments.at(1) == QLatin1String("hold"))
        return hold(arguments.at(2));
    std::cerr << "usage: fault-helper save FOLDER | hold DEVICE\n";
    return 1;
}
