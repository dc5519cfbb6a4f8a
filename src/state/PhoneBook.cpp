#include "PhoneBook.h"

#include "RuntimeError.h"

int PhoneBook::checkedIndex(int i)
{
    if (i < 0 || i > MaxPhoneBookIndex)
        throw RuntimeError(QStringLiteral("Subscript out of range"));
    return i;
}

QString& PhoneBook::PhoneNumber(int i)
{
    return m_phoneNumber[checkedIndex(i)];
}

QString& PhoneBook::BlockFlag(int i)
{
    return m_blockFlag[checkedIndex(i)];
}

QString& PhoneBook::PictureFile(int i)
{
    return m_pictureFile[checkedIndex(i)];
}

QString& PhoneBook::WavFile(int i)
{
    return m_wavFile[checkedIndex(i)];
}

const QString& PhoneBook::PhoneNumber(int i) const
{
    return m_phoneNumber[checkedIndex(i)];
}

const QString& PhoneBook::BlockFlag(int i) const
{
    return m_blockFlag[checkedIndex(i)];
}

const QString& PhoneBook::PictureFile(int i) const
{
    return m_pictureFile[checkedIndex(i)];
}

const QString& PhoneBook::WavFile(int i) const
{
    return m_wavFile[checkedIndex(i)];
}
