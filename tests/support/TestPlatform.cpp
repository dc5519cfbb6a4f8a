#include "TestPlatform.h"

#include "platform/QtSerialLink.h"

TestPlatform::TestPlatform(const QString& appDir)
    : printer(appDir + "/printed.pdf")
    , platform { [appDir] { return std::make_unique<QtSerialLink>(appDir); }, pump, sound, pictures,
        launcher, printer, messages, end, AppFolders { appDir, appDir }, 20 }
{
}
