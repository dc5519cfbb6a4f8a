#include "Fr.h"

#include "platform/Platform.h"
#include "platform/ProgramEnd.h"
#include "windows/AppContext.h"
#include "windows/Controls.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

// Spelling as users know it ("distributers").
const QString Fr::kAgreementText
    = QStringLiteral("WARNING By running this software you agree to the \r\n"
                     "following:\r\n"
                     "1.Neither the programmer, testing personnel nor \r\n"
                     "software distributers are responsible for any problems \r\n"
                     "that may arise from running it.\r\n"
                     "2.You the user of this software may not modify the \r\n"
                     "software product or re-distribute it in any modified \r\n"
                     "form.\r\n");

Fr::Fr(AppContext& context)
    : Form(context)
{
    setObjectName(QStringLiteral("Fr"));
    setWindowTitle(QStringLiteral("Halvoren program software agreement"));
    setClientSizeTwips(4575, 3105);

    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setPlainText(
        QString(kAgreementText).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->document()->setDocumentMargin(2);
    // Disabled only against editing: the text keeps the box's white ground and stays legible.
    QPalette colours = Text1->palette();
    colours.setColor(
        QPalette::Disabled, QPalette::Base, colours.color(QPalette::Active, QPalette::Base));
    colours.setColor(QPalette::Disabled, QPalette::Text, QColor(109, 109, 109));
    Text1->setPalette(colours);
    Text1->setEnabled(false);
    Text1->setAccessibleName(QStringLiteral("Agreement"));
    placeTwips(Text1, 360, 240, 3855, 1935);

    Option1
        = Controls::make<QRadioButton>(this, QStringLiteral("Option1"), QStringLiteral("I &Agree"));
    placeTwips(Option1, 1680, 2400, 1215, 255);
    Option2 = Controls::make<QRadioButton>(
        this, QStringLiteral("Option2"), QStringLiteral("I &Do Not Agree"));
    placeTwips(Option2, 1680, 2760, 1455, 255);
    // Lies below the client area: it holds the group's first selection, so that neither visible
    // choice starts selected.
    Option3 = Controls::make<QRadioButton>(this, QStringLiteral("Option3"), QStringLiteral("null"));
    placeTwips(Option3, 1680, 3600, 1215, 495);
    Option3->setChecked(true);

    Command1 = new QPushButton(QStringLiteral("&Next >"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setEnabled(false);
    placeTwips(Command1, 3360, 2640, 975, 255);

    setTabOrder(Option3, Text1);
    setTabOrder(Text1, Option2);
    setTabOrder(Option2, Option1);
    setTabOrder(Option1, Command1);
    Option3->setFocus();

    connect(Option1, &QRadioButton::toggled, this, [this](bool selected) {
        if (selected)
            Option1_Click();
    });
    connect(Option2, &QRadioButton::toggled, this, [this](bool selected) {
        if (selected)
            Option2_Click();
    });
    connect(Command1, &QPushButton::clicked, this, &Fr::Command1_Click);
}

void Fr::Option1_Click()
{
    Command1->setEnabled(true);
}

void Fr::Option2_Click()
{
    m_context.platform.end.endNow(EXIT_SUCCESS);
}

void Fr::Command1_Click()
{
    hide();
    m_context.forms.unload(*this);
}
