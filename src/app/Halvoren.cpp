#include "Halvoren.h"

#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "windows/config/Form2.h"
#include "windows/main/Form1.h"

#include <QApplication>
#include <QIcon>

Halvoren::Halvoren(Platform& platform)
    : m_store(m_state)
    , m_context(m_state, m_store, platform)
{
    m_store.setWriteFailureHandler([this](const QString& file, const QString& reason) {
        QWidget* parent = m_context.forms.loadedForm1();
        m_context.platform.messages.showLater(parent,
            QStringLiteral("Could not write %1:\n%2").arg(file, reason), MessageIcon::Exclamation);
    });
}

void Halvoren::start()
{
    // The icons live in a static library, whose resources are not registered on their own.
    Q_INIT_RESOURCE(assets);
    // Every window but the phone book editor, which has its own, shows the program's icon.
    QIcon icon;
    for (int size : { 48, 64, 128, 256 })
        icon.addFile(QStringLiteral(":/icons/halvoren-%1.png").arg(size));
    QApplication::setWindowIcon(icon);
    m_context.forms.form1();
}

void Halvoren::closePorts()
{
    if (Form1* form1 = m_context.forms.loadedForm1())
        form1->closePort();
    if (Form2* form2 = m_context.forms.loadedForm2())
        form2->closePort();
}
