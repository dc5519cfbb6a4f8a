// LoadSettings and LoadPhoneBook on arbitrary file contents, as a user's hand edit may leave
// them: each either loads or fails with a run-time failure, and whatever loaded is saved and
// loaded back unchanged.
#include "state/AppState.h"
#include "state/DataStore.h"
#include "state/RuntimeError.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

namespace {

const QString kSettingsFile = QStringLiteral("cconfig.ini");
const QString kPhoneBookFile = QStringLiteral("phone.ini");

const QTemporaryDir& folder()
{
    static const QTemporaryDir dir;
    if (!dir.isValid())
        std::abort();
    return dir;
}

void writeFile(const QString& name, const QByteArray& bytes)
{
    QFile file(folder().filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        std::abort();
}

template <typename Load> bool loads(Load load)
{
    try {
        load();
        return true;
    } catch (const RuntimeError&) {
        return false;
    }
}

bool sameEntries(const PhoneBook& a, const PhoneBook& b)
{
    for (int i = 1; i <= PhoneBook::PhoneBookSize; ++i) {
        if (a.PhoneNumber(i) != b.PhoneNumber(i) || a.BlockFlag(i) != b.BlockFlag(i)
            || a.PictureFile(i) != b.PictureFile(i) || a.WavFile(i) != b.WavFile(i))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    writeFile(kSettingsFile, bytes);
    writeFile(kPhoneBookFile, bytes);

    AppState loaded;
    loaded.AppPath = folder().path();
    DataStore store(loaded);
    store.setWriteFailureHandler([](const QString&, const QString&) { std::abort(); });
    loads([&store] { store.LoadSettings(); });
    loads([&store] { store.LoadPhoneBook(); });

    store.SaveSettings(loaded.CommPort);
    store.SavePhoneBook();
    AppState reloaded;
    reloaded.AppPath = loaded.AppPath;
    DataStore again(reloaded);
    if (!loads([&again] { again.LoadSettings(); }) || !loads([&again] { again.LoadPhoneBook(); }))
        std::abort();
    if (reloaded.CommPort != loaded.CommPort || reloaded.AutoUpdate != loaded.AutoUpdate
        || reloaded.BlockingEnabled != loaded.BlockingEnabled
        || reloaded.CallerIdCommand != QLatin1String("AT+VCID=1")
        || !sameEntries(reloaded.Book, loaded.Book))
        std::abort();
    return 0;
}
