#pragma once

#include <QString>

// Where the program keeps the user's data files and where it finds the files it ships with.
struct AppFolders
{
    // cconfig.ini, phone.ini, ccalls.log and the ports/ folder.
    QString dataFolder;
    // blank.bmp, fail.wav and readme.txt, only read.
    QString shippedFolder;

    // Run from its own folder, both are that folder. Installed, as <prefix>/bin beside
    // <prefix>/share/halvoren, the data live in the user's data folder, made on first use.
    static AppFolders locate(const QString& executableDir);
};
