#include "QtPlatform.h"

#include "QtSerialLink.h"

QtPlatform::QtPlatform(const AppFolders& folders)
    : platform { [data = folders.dataFolder] { return std::make_unique<QtSerialLink>(data); }, pump,
        sound, pictures, launcher, printer, messages, end, folders }
{
}
