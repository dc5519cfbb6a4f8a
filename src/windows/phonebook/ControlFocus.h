#pragma once

#include <QObject>

class QWidget;

// Tells when a control hands the focus on to another control of its own window: the moment a
// form's Validate and LostFocus procedures run. Switching windows or showing a message box does
// not count, and neither does a focus-out for a control that never held the focus.
class ControlFocus : public QObject
{
    Q_OBJECT

public:
    explicit ControlFocus(QWidget* control);

signals:
    // Runs before the next control receives the focus; a handler may take the focus back.
    void leaving();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_control;
    bool m_held = false;
};
