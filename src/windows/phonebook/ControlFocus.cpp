#include "ControlFocus.h"

#include <QApplication>
#include <QFocusEvent>
#include <QTimer>
#include <QWidget>
#include <utility>

namespace {

bool movesBetweenControls(const QEvent* event)
{
    const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

bool isPointerPress(const QEvent* event)
{
    return event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick
        || event->type() == QEvent::Wheel;
}

} // namespace

ControlFocus::ControlFocus(QWidget* control, std::function<bool()> validate)
    : QObject(control)
    , m_control(control)
    , m_validate(std::move(validate))
{
    control->installEventFilter(this);
    for (QWidget* other : control->window()->findChildren<QWidget*>()) {
        if (other != control && !control->isAncestorOf(other))
            other->installEventFilter(this);
    }
}

bool ControlFocus::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_control)
        return controlEvent(event);
    return otherControlEvent(static_cast<QWidget*>(watched), event);
}

bool ControlFocus::controlEvent(QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        // Also when the window comes back to the front with the focus in this control.
        m_held = true;
    } else if (event->type() == QEvent::FocusOut && movesBetweenControls(event) && m_held) {
        m_held = false;
        // Qt has already made the next control the focus widget, but not yet told it so.
        const QWidget* next = QApplication::focusWidget();
        if (!next || next == m_control || next->window() != m_control->window())
            return false;
        if (m_validate()) {
            emit left();
            return false;
        }
        m_refused = true;
        if (static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason) {
            // The press or wheel turn that moved the focus is delivered next, in this same event.
            m_dropPointerEvent = true;
            QTimer::singleShot(0, this, [this] { m_dropPointerEvent = false; });
        }
        // The validator has given the control its focus-in again; the pending focus-out must not
        // undo that.
        return QApplication::focusWidget() == m_control;
    }
    return false;
}

bool ControlFocus::otherControlEvent(QWidget* other, QEvent* event)
{
    if (m_dropPointerEvent && isPointerPress(event)) {
        m_dropPointerEvent = false;
        return true;
    }
    if (event->type() == QEvent::Shortcut && m_control->hasFocus()
        && other->focusPolicy() != Qt::NoFocus) {
        // An access key takes the focus to its control before it acts, as a click does; a
        // refused departure leaves the key without effect.
        m_refused = false;
        other->setFocus(Qt::ShortcutFocusReason);
        return m_refused;
    }
    return false;
}
