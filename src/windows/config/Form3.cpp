#include "Form3.h"

#include "DirectoryList.h"
#include "FileList.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "state/AppState.h"
#include "windows/AppContext.h"
#include "windows/Controls.h"
#include "windows/phonebook/Phonebook.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStorageInfo>

namespace {

const QString kPictureCaption = QStringLiteral("Locate picture files");
const QString kWavPattern = QStringLiteral("*.wav");

} // namespace

Form3::Form3(AppContext& context)
    : Form(context)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Locate wav files"));
    setClientSizeTwips(3975, 3780);
    createControls();
    layOut();
    fillDrives();
    File1->setPattern(kWavPattern);
    openIn(QString());

    connect(Drive1, &QComboBox::currentIndexChanged, this, &Form3::Drive1_Change);
    connect(Dir1, &DirectoryList::pathChanged, this, &Form3::Dir1_Change);
    connect(Command2, &QPushButton::clicked, this, &Form3::Command2_Click);
    connect(File1, &FileList::itemDoubleClicked, this, &Form3::File1_DblClick);
    connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);
    File1->setFocus();
}

void Form3::createControls()
{
    Label3 = Controls::label(this, QStringLiteral("Label3"), QStringLiteral("Directory:"));
    Label2 = Controls::label(this, QStringLiteral("Label2"), QStringLiteral("Drive:"));
    Label1 = Controls::label(this, QStringLiteral("Label1"), QStringLiteral("Filename:"));

    Command2
        = Controls::make<QPushButton>(this, QStringLiteral("Command2"), QStringLiteral("&Select"));
    Dir1 = Controls::make<DirectoryList>(this, QStringLiteral("Dir1"));
    Command1
        = Controls::make<QPushButton>(this, QStringLiteral("Command1"), QStringLiteral("&Cancel"));
    Drive1 = Controls::make<QComboBox>(this, QStringLiteral("Drive1"));
    File1 = Controls::make<FileList>(this, QStringLiteral("File1"));
    Controls::labelFor(Label3, Dir1);
    Controls::labelFor(Label2, Drive1);
    Controls::labelFor(Label1, File1);
}

void Form3::layOut()
{
    placeTwips(Command2, 720, 3240, 975, 255);
    placeTwips(Dir1, 240, 1320, 1695, 1665);
    placeTwips(Command1, 2280, 3240, 975, 255);
    placeTwips(Drive1, 240, 480, 1575, 315);
    placeTwips(File1, 1920, 1320, 1815, 1650);
    placeTwips(Label3, 240, 1080, 1695, 255);
    placeTwips(Label2, 240, 240, 1575, 255);
    placeTwips(Label1, 1920, 1080, 1815, 255);

    setTabOrder(File1, Drive1);
    setTabOrder(Drive1, Command1);
    setTabOrder(Command1, Dir1);
    setTabOrder(Dir1, Command2);
}

void Form3::fillDrives()
{
    const QString root = QStorageInfo::root().rootPath();
    Drive1->addItem(root, root);
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.rootPath() != root)
            Drive1->addItem(volume.rootPath(), volume.rootPath());
    }
}

void Form3::openIn(const QString& currentFile)
{
    const QFileInfo file(currentFile);
    m_startFolder
        = file.isAbsolute() && file.dir().exists() ? file.absolutePath() : m_context.state.AppPath;
    const QSignalBlocker quiet(Drive1);
    Drive1->setCurrentIndex(qMax(Drive1->findData(QStorageInfo(m_startFolder).rootPath()), 0));
    Dir1->setPath(m_startFolder);
    File1->setPath(Dir1->path());
}

void Form3::setFilePattern(const QString& pattern)
{
    File1->setPattern(pattern);
}

QString Form3::fullPath(const QString& fileName) const
{
    // A root folder's path already ends with a separator, so a file there gets two.
    return Dir1->path() + u'/' + fileName;
}

void Form3::Drive1_Change()
{
    const QString drive = Drive1->currentData().toString();
    // Without a current folder per drive, the folder the locator opened in stands in on its own
    // volume.
    const QString folder = QStorageInfo(m_startFolder).rootPath() == drive ? m_startFolder : drive;
    if (!Dir1->setPath(folder)) {
        // Spelling as users know it.
        m_context.platform.messages.showModal(
            this, QStringLiteral("Drive not operaitonal"), MessageIcon::None);
        return;
    }
    File1->setPath(Dir1->path());
}

void Form3::Dir1_Change()
{
    File1->setPath(Dir1->path());
}

void Form3::Command2_Click()
{
    const QString fileName = File1->fileName();
    if (fileName.isEmpty())
        return;
    Phonebook& phonebook = m_context.forms.phonebook();
    if (windowTitle() == kPictureCaption)
        phonebook.setText3(fullPath(fileName));
    else
        phonebook.setText2(fullPath(fileName));
    phonebook.setFormEnabled(true);
    hide();
    m_context.forms.unload(*this);
}

void Form3::File1_DblClick(QListWidgetItem* item)
{
    Phonebook& phonebook = m_context.forms.phonebook();
    if (File1->pattern() == kWavPattern)
        phonebook.setText2(fullPath(item->text()));
    else
        phonebook.setText3(fullPath(item->text()));
    m_context.forms.unload(*this);
}

void Form3::escapePressed()
{
    Command1->click();
}

void Form3::Command1_Click()
{
    hide();
    m_context.forms.unload(*this);
}
