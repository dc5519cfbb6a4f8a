#include "TestPlatform.h"

#include "platform/QtSerialLink.h"

#include <QDir>

TestPlatform::TestPlatform(const QString& appDir, int timerIntervalMs)
    : m_pdfFile(QDir(appDir).filePath(QStringLiteral("printed.pdf")))
    , printer(m_pdfFile)
    , platform { [appDir] { return std::make_unique<QtSerialLink>(appDir); },
                 pump,
                 sound,
                 pictures,
                 launcher,
                 printer,
                 messages,
                 end,
                 appDir,
                 timerIntervalMs }
{
}
