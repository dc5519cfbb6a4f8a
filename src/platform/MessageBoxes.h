#pragma once

#include <QString>

class QWidget;

enum class MessageIcon { None, Exclamation, Information };

// Message boxes with an OK button, captioned with the application title.
class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;

    // Returns once the user has closed the box.
    virtual void showModal(QWidget* parent, const QString& text, MessageIcon icon) = 0;
    // Returns at once; used where a waiting box would stall the call monitor.
    virtual void showLater(QWidget* parent, const QString& text, MessageIcon icon) = 0;
};
