#pragma once

#include <QObject>
#include <functional>

class QWidget;

// Tells when the focus leaves a control for another control of its own window, whatever takes it
// there: a click, a turn of the mouse wheel, Tab, an access key. Switching windows or showing a
// message box does not count, and neither does a focus-out for a control that never held the focus.
class ControlFocus : public QObject
{
    Q_OBJECT

public:
    // `validate` runs as the focus is about to leave and tells whether it may. On a refusal it has
    // put the focus back, and the click, wheel turn or access key that asked to leave is dropped.
    // The window's other controls must exist already.
    explicit ControlFocus(
        QWidget* control, std::function<bool()> validate = [] { return true; });

signals:
    // The focus has gone to another control of the window.
    void left();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool controlEvent(QEvent* event);
    bool otherControlEvent(QWidget* other, QEvent* event);

    QWidget* m_control;
    std::function<bool()> m_validate;
    bool m_held = false;
    // The last departure was refused. The window may not be active again yet when the validator
    // returns, so whether the control has the focus does not tell.
    bool m_refused = false;
    // A click or wheel turn asked the focus to leave and was refused; it must not act either.
    bool m_dropPointerEvent = false;
};
