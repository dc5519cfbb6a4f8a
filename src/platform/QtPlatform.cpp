#include "QtPlatform.h"

#include "QtSerialLink.h"

QtPlatform::QtPlatform(const QString& applicationDirectory)
    : platform { [applicationDirectory] {
                    return std::make_unique<QtSerialLink>(applicationDirectory);
                },
        pump, sound, pictures, launcher, printer, messages, end, applicationDirectory }
{
}
