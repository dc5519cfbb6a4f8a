#include "DataStore.h"

#include "AppState.h"
#include "FieldReader.h"
#include "FieldWriter.h"
#include "RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <utility>

namespace {

const QString kSettingsFile = QStringLiteral("cconfig.ini");
const QString kPhoneBookFile = QStringLiteral("phone.ini");
const QString kCallLogFile = QStringLiteral("ccalls.log");

QString boolText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

// The program's earlier Windows versions wrote their files in this code page.
const char* const kAnsiCodePage = "windows-1252";

QStringDecoder ansiDecoder()
{
    QStringDecoder decoder(kAnsiCodePage);
    return decoder.isValid() ? std::move(decoder) : QStringDecoder(QStringDecoder::Latin1);
}

QStringEncoder ansiEncoder()
{
    QStringEncoder encoder(kAnsiCodePage);
    return encoder.isValid() ? std::move(encoder) : QStringEncoder(QStringEncoder::Latin1);
}

} // namespace

DataStore::DataStore(AppState& state)
    : m_state(state)
{
}

void DataStore::setWriteFailureHandler(WriteFailureHandler handler)
{
    m_onWriteFailure = std::move(handler);
}

QString DataStore::filePath(const QString& fileName) const
{
    return QDir(m_state.AppPath).filePath(fileName);
}

QString DataStore::phoneBookPath() const
{
    return filePath(kPhoneBookFile);
}

bool DataStore::phoneBookExists() const
{
    return QFile::exists(phoneBookPath());
}

QString DataStore::readAll(const QString& fileName)
{
    QFile file(filePath(fileName));
    // A file that is there but cannot be read (a folder, no permission) says why.
    if (!file.open(QIODevice::ReadOnly))
        throw RuntimeError(file.exists()
                ? file.errorString()
                : QStringLiteral("File not found: %1").arg(file.fileName()));
    bool ansi = false;
    const QString text = decoded(file.readAll(), ansi);
    if (ansi)
        m_ansiFiles.insert(fileName);
    else
        m_ansiFiles.remove(fileName);
    return text;
}

QString DataStore::decoded(const QByteArray& bytes, bool& ansi)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    ansi = utf8.hasError();
    return ansi ? QString(ansiDecoder().decode(bytes)) : text;
}

QByteArray DataStore::encoded(const QString& fileName, const QString& text)
{
    if (m_ansiFiles.contains(fileName)) {
        const QByteArray bytes = ansiEncoder().encode(text);
        // Only what the next start reads back as this text: a character the code page lacks, or
        // bytes that happen to be UTF-8, make the whole file UTF-8 instead.
        bool ansi = false;
        if (decoded(bytes, ansi) == text)
            return bytes;
        m_ansiFiles.remove(fileName);
    }
    return text.toUtf8();
}

bool DataStore::write(const QString& fileName, const QByteArray& bytes)
{
    QSaveFile file(filePath(fileName));
    // The "User" flags describe this process's access, not the file's mode.
    const QFile::Permissions permissions = QFile::permissions(file.fileName())
        & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
    // A full disk shows only once the buffered bytes reach the file, and commit() does not look:
    // it would put an empty file in place of the old one. The new file keeps the old one's
    // permissions; QSaveFile alone would make a read-only file writable.
    if (file.open(QIODevice::WriteOnly) && (!permissions || file.setPermissions(permissions))
        && file.write(bytes) == bytes.size() && file.flush() && file.commit())
        return true;
    if (m_onWriteFailure)
        m_onWriteFailure(file.fileName(), file.errorString());
    return false;
}

void DataStore::LoadSettings()
{
    FieldReader reader(readAll(kSettingsFile));
    m_state.CommPort = reader.next();
    m_state.CallerIdCommand = reader.next();
    const QString autoUpdate = reader.next();
    const QString blockingEnabled = reader.next();
    m_state.AutoUpdate = autoUpdate == QLatin1String("True");
    m_state.BlockingEnabled = blockingEnabled == QLatin1String("True");
    m_state.SettingsSaved = true;
}

bool DataStore::SaveSettings(const QString& portName)
{
    FieldWriter out;
    out.line(portName);
    out.line(AppState::kSavedCallerIdCommand);
    out.line(boolText(m_state.AutoUpdate));
    out.line(boolText(m_state.BlockingEnabled));
    if (!write(kSettingsFile, encoded(kSettingsFile, out.text())))
        return false;
    m_state.SettingsSaved = true;
    return true;
}

void DataStore::LoadPhoneBook()
{
    FieldReader reader(readAll(kPhoneBookFile));
    int entry = 0;
    PhoneBook& book = m_state.Book;
    while (!reader.atEnd()) {
        if (reader.next() != QLatin1String("+"))
            continue;
        ++entry;
        if (entry > PhoneBook::MaxPhoneBookIndex)
            throw RuntimeError(QStringLiteral("Subscript out of range"));
        book.PhoneNumber(entry) = reader.next();
        book.BlockFlag(entry) = reader.next();
        book.PictureFile(entry) = reader.next();
        book.WavFile(entry) = reader.next();
    }
}

bool DataStore::SavePhoneBook()
{
    FieldWriter out;
    const PhoneBook& book = m_state.Book;
    for (int i = 1; i <= PhoneBook::PhoneBookSize; ++i) {
        out.line(QStringLiteral("+"));
        out.line(book.PhoneNumber(i));
        out.line(book.BlockFlag(i));
        out.line(book.PictureFile(i));
        out.line(book.WavFile(i));
    }
    return write(kPhoneBookFile, encoded(kPhoneBookFile, out.text()));
}

bool DataStore::SaveCallLog(const QString& logText)
{
    return write(kCallLogFile, (logText + QStringLiteral("\r\n")).toUtf8());
}
