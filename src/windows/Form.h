#pragma once

#include <QWidget>

class AppContext;
class QEventLoop;

// A window of the program: created by the registry, which runs Form_Load after construction and
// Form_Unload when the window is unloaded. Positions and sizes are given in twips.
class Form : public QWidget
{
    Q_OBJECT

public:
    explicit Form(AppContext& context);
    ~Form() override;

    virtual void Form_Load() { }
    virtual void Form_Unload() { }

    // Shows the window modally and returns once it has been hidden or unloaded.
    void showModal();
    void showModeless();

protected:
    // A close from the window frame; by default the window is unloaded.
    virtual void frameClosed();

    void setClientSizeTwips(int width, int height);
    static void placeTwips(QWidget* control, int left, int top, int width, int height);

    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

    AppContext& m_context;

private:
    QEventLoop* m_modalLoop = nullptr;
};
