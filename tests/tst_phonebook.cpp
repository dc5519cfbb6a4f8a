#include "app/Halvoren.h"
#include "state/DataStore.h"
#include "support/TestApp.h"
#include "windows/config/Form2.h"
#include "windows/config/Form3.h"
#include "windows/main/Form1.h"
#include "windows/phonebook/Phonebook.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

namespace {

struct Entry
{
    QString number, mark, picture, wav;
};

// Acts on a window as soon as it shows; a modal window keeps the test waiting until it closes.
void whenShown(const QString& objectName, std::function<void(QWidget*)> act)
{
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, objectName, act] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->objectName() == objectName && window->isVisible()) {
                poll->deleteLater();
                poll->stop();
                act(window);
                return;
            }
        }
    });
    poll->start(10);
}

} // namespace

Q_DECLARE_METATYPE(Entry)

// The phone book editor: write-through of every edit under the event rules, the options, saving.
class TestPhonebook : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestApp> m_app;
    QString m_startFolder = QDir::currentPath();

    AppState& state() { return m_app->app().state(); }
    FormRegistry& forms() { return m_app->app().context().forms; }

    template <class Control> Control* control(const char* name)
    {
        return forms().phonebook().findChild<Control*>(QLatin1String(name));
    }

    void start(const QList<Entry>& entries, const QString& port = QStringLiteral("com1:"),
        bool autoUpdate = false, bool blocking = false)
    {
        m_app = std::make_unique<TestApp>();
        m_app->writeSettings(port, autoUpdate, blocking);
        QByteArray book;
        for (int i = 0; i < 5; ++i) {
            const Entry entry = entries.value(i);
            book += "+\r\n"
                + QStringList { entry.number, entry.mark, entry.picture, entry.wav }
                      .join(QStringLiteral("\r\n"))
                      .toUtf8()
                + "\r\n";
        }
        m_app->writeFile(QStringLiteral("phone.ini"), book);
        m_app->start();
    }

    Phonebook& open()
    {
        Phonebook& editor = forms().phonebook();
        editor.show();
        editor.activateWindow();
        [&] { QVERIFY(QTest::qWaitForWindowActive(&editor)); }();
        return editor;
    }

    QStringList lines(const QString& fileName)
    {
        return QString::fromUtf8(m_app->readFile(fileName)).split(QStringLiteral("\r\n"));
    }

    void clickDownArrow(int times)
    {
        auto* bar = control<QScrollBar>("VScroll1");
        for (int i = 0; i < times; ++i)
            QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->height() - 3));
    }

    static void flushDeferredDeletes()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private slots:
    void cleanup()
    {
        m_app.reset();
        QDir::setCurrent(m_startFolder);
    }

    void opening_data()
    {
        QTest::addColumn<Entry>("entry1");
        QTest::addColumn<bool>("autoUpdate");
        QTest::addColumn<bool>("blocking");
        QTest::addColumn<bool>("saveEnabled");
        QTest::addColumn<bool>("settingsRewritten");
        QTest::newRow("empty entry") << Entry {} << false << false << false << false;
        QTest::newRow("filled entry")
            << Entry { "5551234", "B", "blank.bmp", "fail.wav" } << false << false << true << false;
        QTest::newRow("auto update on") << Entry {} << true << false << false << true;
        QTest::newRow("blocking on")
            << Entry { "5551234", "N", "", "" } << false << true << true << true;
    }

    void opening()
    {
        QFETCH(Entry, entry1);
        QFETCH(bool, autoUpdate);
        QFETCH(bool, blocking);
        QFETCH(bool, saveEnabled);
        QFETCH(bool, settingsRewritten);
        if (!entry1.picture.isEmpty())
            entry1.picture = QDir(QStringLiteral(HALVOREN_ASSETS_DIR)).filePath(entry1.picture);
        start({ entry1 }, QStringLiteral("com1:"), autoUpdate, blocking);
        // An extra line survives only as long as nothing rewrites the settings.
        m_app->writeFile(QStringLiteral("cconfig.ini"), m_app->readFile("cconfig.ini") + "x\r\n");
        open();

        QCOMPARE(control<QLineEdit>("Text1")->text(), entry1.number);
        QCOMPARE(control<QLineEdit>("Text2")->text(), entry1.wav);
        QCOMPARE(control<QLineEdit>("Text3")->text(), entry1.picture);
        QCOMPARE(control<QLabel>("Image2")->pixmap().isNull(), entry1.picture.isEmpty());
        QCOMPARE(control<QLabel>("Label5")->text(), "Entry#1");
        QCOMPARE(control<QCheckBox>("Check1")->isChecked(), entry1.mark == "B");
        QCOMPARE(control<QCheckBox>("Check1")->isEnabled(), blocking);
        QCOMPARE(control<QCheckBox>("Check2")->isChecked(), autoUpdate);
        QCOMPARE(control<QCheckBox>("Check3")->isChecked(), blocking);
        QCOMPARE(control<QPushButton>("Command3")->isEnabled(), saveEnabled);
        QCOMPARE(QApplication::focusWidget(), control<QPushButton>("Command5"));
        QCOMPARE(lines("cconfig.ini").contains("x"), !settingsRewritten);
        QCOMPARE(state().Book.BlockFlag(1), entry1.mark);
    }

    void movingToEntryWithoutNumber_emptiesItsPaths()
    {
        start({ { "5551234", "N", "", "" }, { "", "N", "/pics/a.bmp", "/sounds/a.wav" } });
        open();
        clickDownArrow(1);
        QCOMPARE(control<QLabel>("Label5")->text(), "Entry#2");
        QCOMPARE(control<QLineEdit>("Text2")->text(), "");
        QCOMPARE(control<QLineEdit>("Text3")->text(), "");
        QCOMPARE(state().Book.WavFile(2), "");
        QCOMPARE(state().Book.PictureFile(2), "");
        QTest::mouseClick(control<QPushButton>("Command3"), Qt::LeftButton);
        QCOMPARE(lines("phone.ini").mid(5, 5), QStringList({ "+", "", "N", "", "" }));
    }

    void movingOn_setsMarkOnlyWhenTheBoxChanges_data()
    {
        QTest::addColumn<QString>("fromMark");
        QTest::addColumn<QString>("toMark");
        QTest::addColumn<QString>("storedMark");
        QTest::newRow("blocked to empty") << "B"
                                          << ""
                                          << "N";
        QTest::newRow("blocked to other text") << "B"
                                               << "b"
                                               << "N";
        QTest::newRow("unblocked to empty") << "N"
                                            << ""
                                            << "";
        QTest::newRow("unblocked to blocked") << "N"
                                              << "B"
                                              << "B";
    }

    void movingOn_setsMarkOnlyWhenTheBoxChanges()
    {
        QFETCH(QString, fromMark);
        QFETCH(QString, toMark);
        QFETCH(QString, storedMark);
        start({ { "5551234", fromMark, "", "" }, { "5559876", toMark, "", "" } });
        open();
        clickDownArrow(1);
        QCOMPARE(control<QCheckBox>("Check1")->isChecked(), toMark == "B");
        QCOMPARE(state().Book.BlockFlag(2), storedMark);
        QCOMPARE(state().Book.BlockFlag(1), fromMark);
    }

    void leavingNumberBox_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("leaveByClick");
        QTest::addColumn<bool>("refused");
        QTest::newRow("dash, tab") << "555-1234" << false << true;
        QTest::newRow("dash, click into wav box") << "555-1234" << true << true;
        QTest::newRow("letter") << "12a" << false << true;
        QTest::newRow("digits") << "5551234" << false << false;
        QTest::newRow("digits, click into wav box") << "5551234" << true << false;
        QTest::newRow("empty") << "" << false << false;
    }

    void leavingNumberBox()
    {
        QFETCH(QString, typed);
        QFETCH(bool, leaveByClick);
        QFETCH(bool, refused);
        // Save is enabled, so a stray lost-focus of the wav box would show as focus on Save.
        start({ { "1", "N", "", "" } });
        open();
        auto* number = control<QLineEdit>("Text1");
        auto* wav = control<QLineEdit>("Text2");
        QTest::mouseClick(number, Qt::LeftButton);
        QTest::keyClick(number, Qt::Key_Backspace);
        QTest::keyClicks(number, typed);
        if (leaveByClick)
            QTest::mouseClick(wav, Qt::LeftButton);
        else
            QTest::keyClick(number, Qt::Key_Tab);

        const RecordingMessageBoxes& messages = m_app->platform().messages;
        if (refused) {
            QCOMPARE(messages.texts(), { "Phone numbers are suppose to be numbers." });
            QCOMPARE(messages.shown.front().icon, MessageIcon::Information);
        } else {
            QVERIFY(messages.shown.empty());
        }
        QCOMPARE(number->text(), refused ? QString() : typed);
        QCOMPARE(state().Book.PhoneNumber(1), number->text());
        QWidget* expectedFocus = refused ? number
            : leaveByClick               ? static_cast<QWidget*>(wav)
                                         : control<QLineEdit>("Text3");
        QCOMPARE(QApplication::focusWidget(), expectedFocus);
    }

    void leavingWavBox_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("focusAfter");
        QTest::newRow("save enabled") << "5551234"
                                      << "Command3";
        QTest::newRow("save disabled") << ""
                                       << "Command6";
    }

    void leavingWavBox()
    {
        QFETCH(QString, number);
        QFETCH(QString, focusAfter);
        start({ { number, "N", "", "" } });
        open();
        auto* wav = control<QLineEdit>("Text2");
        QTest::mouseClick(wav, Qt::LeftButton);
        QTest::keyClick(wav, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), focusAfter);
    }

    void missingPicture_keepsPreviewAndPath()
    {
        const QString picture = QDir(QStringLiteral(HALVOREN_ASSETS_DIR)).filePath("blank.bmp");
        start({ { "5551234", "N", picture, "" } });
        open();
        auto* preview = control<QLabel>("Image2");
        const qint64 shown = preview->pixmap().cacheKey();
        QVERIFY(!preview->pixmap().isNull());
        auto* box = control<QLineEdit>("Text3");
        QTest::mouseClick(box, Qt::LeftButton);
        QTest::keyClick(box, Qt::Key_End);
        QTest::keyClicks(box, "/missing.bmp");
        QCOMPARE(preview->pixmap().cacheKey(), shown);
        QCOMPARE(state().Book.PictureFile(1), picture + "/missing.bmp");
        QVERIFY(m_app->platform().messages.shown.empty());
    }

    void locatedPicture_fillsPictureBoxWithoutEnablingSave()
    {
        start({});
        QDir::setCurrent(m_app->dir());
        open();
        whenShown(QStringLiteral("Form3"), [](QWidget* locator) {
            auto* files = locator->findChild<QListWidget*>(QStringLiteral("File1"));
            const QList<QListWidgetItem*> found = files->findItems("blank.bmp", Qt::MatchExactly);
            // Without the file, Cancel closes the locator so that the checks below fail.
            const char* button = found.isEmpty() ? "Command1" : "Command2";
            if (!found.isEmpty())
                QTest::mouseClick(files->viewport(), Qt::LeftButton, {},
                    files->visualItemRect(found.front()).center());
            QTest::mouseClick(
                locator->findChild<QPushButton*>(QLatin1String(button)), Qt::LeftButton);
        });
        QTest::mouseClick(control<QPushButton>("Command9"), Qt::LeftButton);
        QCOMPARE(control<QLineEdit>("Text3")->text(), m_app->dir() + "/blank.bmp");
        QCOMPARE(state().Book.PictureFile(1), m_app->dir() + "/blank.bmp");
        QVERIFY(!control<QLabel>("Image2")->pixmap().isNull());
        QVERIFY(!control<QPushButton>("Command3")->isEnabled());
        QVERIFY(!forms().loadedForm3());
    }

    void saveWithoutPort_refuses()
    {
        start({ { "5551234", "N", "", "" } }, QString());
        const QByteArray before = m_app->readFile("phone.ini");
        open();
        QTest::keyClicks(control<QLineEdit>("Text1"), "9");
        QTest::mouseClick(control<QPushButton>("Command3"), Qt::LeftButton);
        QCOMPARE(control<QLabel>("Label3")->text(), "Please select a comm port");
        QCOMPARE(m_app->platform().sound.beeps, 1);
        QCOMPARE(m_app->readFile("phone.ini"), before);
        QVERIFY(forms().loadedPhonebook() && forms().loadedPhonebook()->isVisible());
    }

    // The configuration window waits in its Phonebook procedure while the save unloads it.
    void saveFromConfigurationWindow_closesBothAndShowsMainWindow()
    {
        start({ { "5551234", "B", "/p.bmp", "/w.wav" }, { "5559876", "N", "", "" } });
        Form1& main = forms().form1();
        main.hide();
        main.setFormEnabled(false);
        Form2& config = forms().form2();
        config.showModeless();
        QPointer<Form2> configAlive(&config);
        bool clicking = true;
        bool destroyedWhileClicking = false;
        connect(&config, &QObject::destroyed, this, [&] { destroyedWhileClicking = clicking; });
        whenShown(QStringLiteral("Phonebook"), [](QWidget* editor) {
            QTest::mouseClick(
                editor->findChild<QPushButton*>(QStringLiteral("Command3")), Qt::LeftButton);
        });
        QTest::mouseClick(
            config.findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
        clicking = false;
        QVERIFY(!destroyedWhileClicking);
        flushDeferredDeletes();

        const QStringList saved = lines("phone.ini");
        QCOMPARE(saved.size(), 26);
        QCOMPARE(saved.mid(0, 10),
            QStringList({ "+", "5551234", "B", "/p.bmp", "/w.wav", "+", "5559876", "N", "", "" }));
        QCOMPARE(saved.mid(10),
            QStringList({ "+", "", "", "", "", "+", "", "", "", "", "+", "", "", "", "", "" }));
        QVERIFY(!forms().loadedPhonebook());
        QVERIFY(!forms().loadedForm2());
        QVERIFY(!configAlive);
        QVERIFY(main.isVisible());
        QVERIFY(main.isFormEnabled());
    }

    void deleteEntry_emptiesOnlyThatEntry()
    {
        QList<Entry> entries;
        for (int i = 1; i <= 5; ++i)
            entries << Entry { QString::number(i).repeated(3), "B", "/p.bmp", "/w.wav" };
        start(entries);
        open();
        clickDownArrow(2);
        QTest::mouseClick(control<QPushButton>("Command6"), Qt::LeftButton);
        QCOMPARE(control<QCheckBox>("Check1")->isChecked(), false);
        QTest::mouseClick(control<QPushButton>("Command3"), Qt::LeftButton);

        const QStringList saved = lines("phone.ini");
        for (int i = 1; i <= 5; ++i) {
            const QStringList expected = i == 3
                ? QStringList { "+", "", "", "", "" }
                : QStringList { "+", QString::number(i).repeated(3), "B", "/p.bmp", "/w.wav" };
            QCOMPARE(saved.mid((i - 1) * 5, 5), expected);
        }
    }

    void optionBox_rewritesSettings_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QStringList>("settings");
        QTest::addColumn<bool>("blockedCallEnabled");
        QTest::newRow("unchecking Enable Blocking")
            << "Check3" << QStringList { "com2:", "AT+VCID=1", "False", "False", "" } << false;
        QTest::newRow("checking Auto Update")
            << "Check2" << QStringList { "com2:", "AT+VCID=1", "True", "True", "" } << true;
    }

    void optionBox_rewritesSettings()
    {
        QFETCH(QString, box);
        QFETCH(QStringList, settings);
        QFETCH(bool, blockedCallEnabled);
        start({ { "5551234", "B", "", "" }, { "5559876", "N", "", "" } }, "com2:", false, true);
        open();
        QTest::mouseClick(control<QCheckBox>(qPrintable(box)), Qt::LeftButton);
        QCOMPARE(lines("cconfig.ini"), settings);
        QCOMPARE(control<QCheckBox>("Check1")->isEnabled(), blockedCallEnabled);
        QVERIFY(control<QCheckBox>("Check1")->isChecked());
        QCOMPARE(state().Book.BlockFlag(1), "B");
        QCOMPARE(state().Book.BlockFlag(2), "N");
        QCOMPARE(state().BlockingEnabled, blockedCallEnabled);
    }

    void done_keepsEditsInMemoryOnly()
    {
        start({});
        const QByteArray before = m_app->readFile("phone.ini");
        open();
        clickDownArrow(1);
        QTest::keyClicks(control<QLineEdit>("Text1"), "5550000");
        QTest::mouseClick(control<QPushButton>("Command2"), Qt::LeftButton);
        QVERIFY(forms().loadedPhonebook() && !forms().loadedPhonebook()->isVisible());
        QCOMPARE(state().Book.PhoneNumber(2), "5550000");
        QCOMPARE(m_app->readFile("phone.ini"), before);
        open();
        QCOMPARE(control<QLabel>("Label5")->text(), "Entry#2");
        QCOMPARE(control<QLineEdit>("Text1")->text(), "5550000");
    }

    void commas_surviveSaveAndLoad()
    {
        start({});
        open();
        QTest::keyClicks(control<QLineEdit>("Text1"), "1,234");
        QTest::keyClicks(control<QLineEdit>("Text2"), "/sounds/me, too.wav");
        QTest::mouseClick(control<QPushButton>("Command3"), Qt::LeftButton);
        QVERIFY(m_app->platform().messages.shown.empty());

        AppState reloaded;
        reloaded.AppPath = m_app->dir();
        DataStore(reloaded).LoadPhoneBook();
        QCOMPARE(reloaded.Book.PhoneNumber(1), "1,234");
        QCOMPARE(reloaded.Book.WavFile(1), "/sounds/me, too.wav");
        QCOMPARE(reloaded.Book.PhoneNumber(2), "");
    }

    void scrollBar_stopsAtFirstAndLastEntry()
    {
        start({});
        open();
        auto* bar = control<QScrollBar>("VScroll1");
        clickDownArrow(7);
        QCOMPARE(bar->value(), 5);
        QCOMPARE(control<QLabel>("Label5")->text(), "Entry#5");
        for (int i = 0; i < 7; ++i)
            QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, 3));
        QCOMPARE(bar->value(), 1);
        QCOMPARE(control<QLabel>("Label5")->text(), "Entry#1");
    }
};

QTEST_MAIN(TestPhonebook)
#include "tst_phonebook.moc"
