// LoadSettings and LoadPhoneBook on arbitrary file contents, as a hand edit may leave them: each
// loads or fails with a run-time failure, and whatever loaded is saved and loaded back unchanged.
#include "state/AppState.h"
#include "state/DataStore.h"
#include "state/RuntimeError.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

// What a save keeps: the settings and entries 1 to 5.
static QStringList kept(const AppState& state)
{
    QStringList values { state.CommPort,
        QString::number(state.AutoUpdate + 2 * state.BlockingEnabled) };
    for (int i = 1; i <= 5; ++i)
        values << state.Book.PhoneNumber(i) << state.Book.BlockFlag(i) << state.Book.PictureFile(i)
               << state.Book.WavFile(i);
    return values;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const QTemporaryDir folder;
    AppState loaded, reloaded;
    loaded.AppPath = reloaded.AppPath = folder.path();
    DataStore store(loaded), again(reloaded);
    for (const char* name : { "cconfig.ini", "phone.ini" }) {
        QFile file(folder.filePath(QLatin1String(name)));
        if (!file.open(QIODevice::WriteOnly)
            || file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
            std::abort();
    }
    for (const auto load : { &DataStore::LoadSettings, &DataStore::LoadPhoneBook }) {
        try {
            (store.*load)();
        } catch (const RuntimeError&) {
        }
    }
    // What was saved loads without a failure and gives back what was saved.
    if (!store.SaveSettings(loaded.CommPort) || !store.SavePhoneBook())
        std::abort();
    again.LoadSettings();
    again.LoadPhoneBook();
    if (kept(reloaded) != kept(loaded) || reloaded.CallerIdCommand != QLatin1String("AT+VCID=1"))
        std::abort();
    return 0;
}
