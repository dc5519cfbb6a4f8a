#include "Form.h"

#include "AppContext.h"
#include "Twips.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QPointer>
#include <QPushButton>
#include <QWindow>

namespace {

bool isUserInput(const QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

} // namespace

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

void Form::showModal(QWidget& owner)
{
    setWindowModality(Qt::ApplicationModal);
    // Owned by its opener, so that a window manager keeps it above the window it blocks; the
    // window system records an owner only for a dialog.
    if (windowType() != Qt::Dialog)
        setWindowFlags((windowFlags() & ~Qt::WindowType_Mask) | Qt::Dialog);
    owner.window()->winId();
    winId();
    windowHandle()->setTransientParent(owner.window()->windowHandle());
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

void Form::setFormEnabled(bool enabled)
{
    if (enabled == m_formEnabled)
        return;
    m_formEnabled = enabled;
    // QWidget::setEnabled would grey every control and lose which ones the program disabled.
    if (enabled)
        qApp->removeEventFilter(this);
    else
        qApp->installEventFilter(this);
}

bool Form::eventFilter(QObject* watched, QEvent* event)
{
    if (m_formEnabled || !isUserInput(event))
        return false;
    if (watched == windowHandle())
        return true;
    const auto* widget = qobject_cast<const QWidget*>(watched);
    return widget && widget->window() == this;
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
    if (m_formEnabled)
        frameClosed();
}

void Form::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (m_modalLoop && !event->spontaneous())
        m_modalLoop->quit();
}

void Form::keyPressEvent(QKeyEvent* event)
{
    auto* button = qobject_cast<QPushButton*>(focusWidget());
    if (button && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        button->click();
        return;
    }
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        escapePressed();
        return;
    }
    QWidget::keyPressEvent(event);
}
