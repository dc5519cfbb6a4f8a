#include "app/Halvoren.h"
#include "support/TestApp.h"
#include "windows/config/DirectoryList.h"
#include "windows/config/Form3.h"
#include "windows/phonebook/Phonebook.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryFile>
#include <QtTest>
#include <memory>

// The file locator over a folder tree of its own: what it lists, and what it writes into the
// phone book editor.
class TestLocator : public QObject
{
    Q_OBJECT

private:
    QString m_startFolder;
    QTemporaryDir m_tree;
    std::unique_ptr<TestApp> m_app;

    FormRegistry& forms() { return m_app->app().context().forms; }

    QString editorText(const char* box)
    {
        return forms().phonebook().findChild<QLineEdit*>(QLatin1String(box))->text();
    }

    // The editor sets the pattern and the caption together.
    Form3& openLocator(bool pictures)
    {
        Form3& locator = forms().form3();
        locator.setFilePattern(pictures ? "*.bmp;*.jpg" : "*.wav");
        locator.setWindowTitle(pictures ? "Locate picture files" : "Locate wav files");
        locator.show();
        return locator;
    }

    static QStringList names(const QListWidget* list)
    {
        QStringList all;
        for (int row = 0; row < list->count(); ++row)
            all << list->item(row)->text().trimmed();
        return all;
    }

    static void clickItem(QListWidget* list, const QString& text, bool twice = false)
    {
        const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchEndsWith);
        QCOMPARE(found.size(), 1);
        const QPoint at = list->visualItemRect(found.front()).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        if (twice) {
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
        }
    }

    void touch(const QString& relativePath)
    {
        QFile file(m_tree.filePath(relativePath));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

private slots:
    void initTestCase()
    {
        m_startFolder = QDir::currentPath();
        QVERIFY(QDir(m_tree.path()).mkpath("sub"));
        for (const char* name : { "a.wav", "B.WAV", "c.bmp", "d.jpg", "e.txt", "sub/f.wav" })
            touch(QLatin1String(name));
    }

    void init()
    {
        QDir::setCurrent(m_tree.path());
        m_app = std::make_unique<TestApp>();
        m_app->writeSettings();
        m_app->writeEmptyPhoneBook();
        m_app->start();
        forms().phonebook().setText2("old.wav");
        forms().phonebook().setText3("old.bmp");
    }

    void cleanup()
    {
        m_app.reset();
        QDir::setCurrent(m_startFolder);
    }

    void select_withNothingSelected_keepsWindowOpen()
    {
        Form3& locator = openLocator(false);
        QTest::mouseClick(locator.findChild<QPushButton*>("Command2"), Qt::LeftButton);
        QVERIFY(forms().loadedForm3() && locator.isVisible());
        QCOMPARE(editorText("Text2"), "old.wav");
    }

    void pattern_listsAndDoubleClickFills_data()
    {
        QTest::addColumn<bool>("pictures");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QString>("filled");
        QTest::addColumn<QString>("untouched");
        QTest::newRow("wav") << false << QStringList { "a.wav", "B.WAV" } << "Text2"
                             << "Text3";
        QTest::newRow("pictures") << true << QStringList { "c.bmp", "d.jpg" } << "Text3"
                                  << "Text2";
    }

    void pattern_listsAndDoubleClickFills()
    {
        QFETCH(bool, pictures);
        QFETCH(QStringList, listed);
        QFETCH(QString, filled);
        QFETCH(QString, untouched);
        Form3& locator = openLocator(pictures);
        auto* files = locator.findChild<QListWidget*>("File1");
        QCOMPARE(names(files), listed);
        const QString before = editorText(qPrintable(untouched));
        clickItem(files, listed.last(), true);
        QCOMPARE(editorText(qPrintable(filled)), m_tree.path() + "/" + listed.last());
        QCOMPARE(editorText(qPrintable(untouched)), before);
        QVERIFY(!forms().loadedForm3());
    }

    void select_inSubfolder_fillsWavBox()
    {
        Form3& locator = openLocator(false);
        clickItem(locator.findChild<QListWidget*>("Dir1"), "sub", true);
        auto* files = locator.findChild<QListWidget*>("File1");
        QCOMPARE(names(files), QStringList { "f.wav" });
        clickItem(files, "f.wav");
        QTest::mouseClick(locator.findChild<QPushButton*>("Command2"), Qt::LeftButton);
        QCOMPARE(editorText("Text2"), m_tree.path() + "/sub/f.wav");
        QVERIFY(!forms().loadedForm3());
    }

    // A root folder's path ends with a separator, so the file's path gets two in a row.
    void select_inRootFolder_doublesSeparator()
    {
        QTemporaryFile rootFile(QStringLiteral("/halvoren-XXXXXX.wav"));
        const bool realRoot = rootFile.open();
        const QString folder = realRoot ? QStringLiteral("/") : m_tree.path() + "/";
        const QString name = realRoot ? QFileInfo(rootFile).fileName() : QStringLiteral("a.wav");
        Form3& locator = openLocator(false);
        auto* folders = locator.findChild<DirectoryList*>("Dir1");
        if (realRoot)
            clickItem(folders, "/", true);
        else
            QVERIFY(folders->setPath(folder));
        auto* files = locator.findChild<QListWidget*>("File1");
        clickItem(files, name);
        QTest::mouseClick(locator.findChild<QPushButton*>("Command2"), Qt::LeftButton);
        QCOMPARE(editorText("Text2"), folder + "/" + name);
    }

    void cancel_leavesBothBoxes()
    {
        Form3& locator = openLocator(true);
        clickItem(locator.findChild<QListWidget*>("File1"), "c.bmp");
        QTest::mouseClick(locator.findChild<QPushButton*>("Command1"), Qt::LeftButton);
        QCOMPARE(editorText("Text2"), "old.wav");
        QCOMPARE(editorText("Text3"), "old.bmp");
        QVERIFY(!forms().loadedForm3());
    }
};

QTEST_MAIN(TestLocator)
#include "tst_locator.moc"
