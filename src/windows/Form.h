#pragma once

#include <QWidget>

class AppContext;
class QEventLoop;

// A window of the program: created by the registry, which runs Form_Load after construction and
// Form_Unload when the window is unloaded. Positions and sizes are given in twips. Enter presses
// the focused command button, as Space does; Escape runs escapePressed().
class Form : public QWidget
{
    Q_OBJECT

public:
    explicit Form(AppContext& context);
    ~Form() override;

    virtual void Form_Load() { }
    virtual void Form_Unload() { }

    // Shows the window modally, owned by `owner`'s window, and returns once it has been hidden or
    // unloaded.
    void showModal(QWidget& owner);
    void showModeless();

    // A disabled window takes no input, its frame's close box included, while its controls keep
    // their own look and their own enabled state.
    void setFormEnabled(bool enabled);
    bool isFormEnabled() const { return m_formEnabled; }

protected:
    // A close from the window frame; by default the window is unloaded.
    virtual void frameClosed();
    // The Escape key that no control took; a window presses its Done, Cancel or OK here.
    virtual void escapePressed() { }

    void setClientSizeTwips(int width, int height);
    static void placeTwips(QWidget* control, int left, int top, int width, int height);

    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    AppContext& m_context;

private:
    QEventLoop* m_modalLoop = nullptr;
    bool m_formEnabled = true;
};
