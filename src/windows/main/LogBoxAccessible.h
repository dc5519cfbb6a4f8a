#pragma once

#include <QAccessibleWidget>

class LogBox;

// The call log as assistive technology reads it: read-only text, one line of the log a line,
// with offsets into the log as shown.
class LogBoxAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit LogBoxAccessible(LogBox* box);

    // The factory QAccessible::installFactory takes.
    static QAccessibleInterface* create(const QString& className, QObject* object);

    void* interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text type) const override;
    QAccessible::State state() const override;

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
        int* endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

private:
    LogBox* box() const;
};
