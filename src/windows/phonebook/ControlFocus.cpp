#include "ControlFocus.h"

#include <QApplication>
#include <QFocusEvent>
#include <QWidget>

namespace {

bool movesBetweenControls(const QEvent* event)
{
    const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

} // namespace

ControlFocus::ControlFocus(QWidget* control)
    : QObject(control)
    , m_control(control)
{
    control->installEventFilter(this);
}

bool ControlFocus::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_control)
        return false;
    if (event->type() == QEvent::FocusIn && movesBetweenControls(event)) {
        m_held = true;
    } else if (event->type() == QEvent::FocusOut && movesBetweenControls(event) && m_held) {
        m_held = false;
        // Qt has already made the next control the focus widget, but not yet told it so.
        const QWidget* next = QApplication::focusWidget();
        if (next && next != m_control && next->window() == m_control->window()) {
            emit leaving();
            // A handler that took the focus back has already given the control its focus-in;
            // the pending focus-out must not undo that.
            return QApplication::focusWidget() == m_control;
        }
    }
    return false;
}
