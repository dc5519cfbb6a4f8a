#include "TestApp.h"

#include "app/Halvoren.h"

#include <QDir>
#include <QFile>

TestApp::TestApp()
{
    for (const char* asset : { "blank.bmp", "fail.wav", "readme.txt" })
        QFile::copy(QStringLiteral(HALVOREN_ASSETS_DIR "/") + QLatin1String(asset),
            m_dir.filePath(QLatin1String(asset)));
    m_platform = std::make_unique<TestPlatform>(m_dir.path());
}

TestApp::~TestApp() = default;

void TestApp::writeFile(const QString& fileName, const QByteArray& bytes) const
{
    QFile file(path(fileName));
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

QByteArray TestApp::readFile(const QString& fileName) const
{
    QFile file(path(fileName));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestApp::writeConfiguration() const
{
    writeFile(QStringLiteral("cconfig.ini"), "com1:\r\nAT+VCID=1\r\nFalse\r\nFalse\r\n");
    writeFile(QStringLiteral("phone.ini"), QByteArray("+\r\n\r\n\r\n\r\n\r\n").repeated(5));
}

Halvoren& TestApp::start()
{
    m_app = std::make_unique<Halvoren>(m_platform->platform);
    m_app->start();
    return *m_app;
}
