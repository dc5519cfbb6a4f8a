// A separate process for the fault tests: "fault-helper hold DEVICE" opens DEVICE as another
// program would, prints "held" and holds it until standard input closes.
#include <QCoreApplication>
#include <QSerialPort>
#include <cstring>
#include <iostream>
#include <string>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QSerialPort port(QString::fromLocal8Bit(argc == 3 ? argv[2] : ""));
    if (argc != 3 || std::strcmp(argv[1], "hold") != 0 || !port.open(QIODevice::ReadWrite)) {
        std::cerr << "usage: fault-helper hold DEVICE (" << port.errorString().toStdString()
                  << ")\n";
        return 2;
    }
    std::cout << "held" << std::endl;
    for (std::string line; std::getline(std::cin, line);) { }
    return 0;
}
