#include "Form4.h"

#include "Form1.h"
#include "Version.h"
#include "windows/AppContext.h"
#include "windows/AppFonts.h"
#include "windows/Controls.h"
#include "windows/RectangleShape.h"
#include "windows/config/Form2.h"

#include <QFontInfo>
#include <QLabel>
#include <QPushButton>

Form4::Form4(AppContext& context)
    : Form(context)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("About Halvoren " HALVOREN_VERSION));
    setClientSizeTwips(6165, 2985);

    Shape1 = new RectangleShape(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    placeTwips(Shape1, 1200, 1440, 3735, 855);

    Command1 = new QPushButton(QStringLiteral("&OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    placeTwips(Command1, 2520, 2400, 1095, 375);

    Label1 = Controls::label(
        this, QStringLiteral("Label1"), QStringLiteral("Halvoren " HALVOREN_VERSION));
    QFont impact(QStringLiteral("Impact"));
    impact.setPointSizeF(26.25);
    impact.setStyleHint(QFont::SansSerif);
    // Impact is a narrow face; a stand-in is condensed so the title still fits its label.
    if (QFontInfo(impact).family() != QLatin1String("Impact"))
        impact.setStretch(QFont::Condensed);
    Label1->setFont(impact);
    placeTwips(Label1, 1680, 0, 3015, 615);

    Label2[0] = Controls::label(this, QStringLiteral("Label2[0]"),
        QStringLiteral("Caller ID software for your V.90 modem"));
    placeTwips(Label2[0], 1680, 720, 3015, 255);
    Label2[1] = Controls::label(
        this, QStringLiteral("Label2[1]"), QStringLiteral("Programming:Tor Lindqvist"));
    placeTwips(Label2[1], 1440, 1560, 3255, 255);
    Label2[2] = Controls::label(
        this, QStringLiteral("Label2[2]"), QStringLiteral("Testing:  Mara Ekholm/Jussi Aaltonen"));
    placeTwips(Label2[2], 1440, 1920, 3375, 255);

    Label3 = Controls::label(this, QStringLiteral("Label3"), QStringLiteral("Shareware version"));
    QFont underlined = AppFonts::msSansSerif(8.25);
    underlined.setUnderline(true);
    Label3->setFont(underlined);
    placeTwips(Label3, 2400, 1080, 1455, 255);

    connect(Command1, &QPushButton::clicked, this, &Form4::Command1_Click);
}

void Form4::Command1_Click()
{
    m_context.forms.form1().setFormEnabled(true);
    // Touching the configuration window loads it when it is not loaded yet, without showing it.
    m_context.forms.form2().setFormEnabled(true);
    m_context.forms.unload(*this);
}

void Form4::frameClosed()
{
    Command1_Click();
}

void Form4::escapePressed()
{
    Command1->click();
}
