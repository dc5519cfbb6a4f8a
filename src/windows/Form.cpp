#include "Form.h"

#include "AppContext.h"
#include "Twips.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QPointer>

Form::Form(AppContext& context)
    : QWidget(nullptr)
    , m_context(context)
{
}

Form::~Form()
{
    if (m_modalLoop)
        m_modalLoop->quit();
}

void Form::showModal()
{
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
    QEventLoop loop;
    m_modalLoop = &loop;
    QPointer<Form> self(this);
    loop.exec();
    if (self) {
        m_modalLoop = nullptr;
        setWindowModality(Qt::NonModal);
    }
}

void Form::showModeless()
{
    show();
    raise();
    activateWindow();
}

void Form::frameClosed()
{
    m_context.forms.unload(*this);
}

void Form::setClientSizeTwips(int width, int height)
{
    setFixedSize(Twips::toPixels(width), Twips::toPixels(height));
}

void Form::placeTwips(QWidget* control, int left, int top, int width, int height)
{
    control->setGeometry(Twips::toPixels(left), Twips::toPixels(top), Twips::toPixels(width),
                         Twips::toPixels(height));
}

void Form::closeEvent(QCloseEvent* event)
{
    // The window's own procedures decide what a close means; Qt must not hide it by itself.
    event->ignore();
    frameClosed();
}

void Form::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (m_modalLoop && !event->spontaneous())
        m_modalLoop->quit();
}
