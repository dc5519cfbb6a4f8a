#pragma once

#include <QString>
#include <functional>

class QWidget;

enum class MessageIcon { None, Exclamation, Information };

enum class SaveChoice { Save, Discard, Cancel };

// Message boxes captioned with the application title: notices with an OK button, and the
// question whether to save first.
class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;

    // Returns once the user has closed the box.
    virtual void showModal(QWidget* parent, const QString& text, MessageIcon icon) = 0;
    // Returns at once; used where a waiting box would stall the call monitor.
    virtual void showLater(QWidget* parent, const QString& text, MessageIcon icon) = 0;
    // Asks whether to save before going on, with the buttons `save`, `discard` and "Cancel".
    // Returns at once, so a running call monitor goes on; `answered` runs once the user has
    // chosen, with Cancel when the box was closed.
    virtual void askToSave(QWidget* parent, const QString& text, const QString& save,
        const QString& discard, std::function<void(SaveChoice)> answered)
        = 0;
};
