#pragma once

#include <QString>
#include <array>

// The four parallel phone book arrays; every index is checked against 0..MaxPhoneBookIndex.
class PhoneBook
{
public:
    static constexpr int MaxPhoneBookIndex = 151;
    static constexpr int PhoneBookSize = 5;

    QString& PhoneNumber(int i);
    QString& BlockFlag(int i);
    QString& PictureFile(int i);
    QString& WavFile(int i);

    const QString& PhoneNumber(int i) const;
    const QString& BlockFlag(int i) const;
    const QString& PictureFile(int i) const;
    const QString& WavFile(int i) const;

private:
    using Column = std::array<QString, MaxPhoneBookIndex + 1>;
    static int checkedIndex(int i);

    Column m_phoneNumber;
    Column m_blockFlag;
    Column m_pictureFile;
    Column m_wavFile;
};
