#pragma once

#include <QPlainTextEdit>

// The call log box. The log is kept as text with CR LF line ends, exactly as it is saved and
// printed; the view shows it as plain text, so caller-ID text is never read as markup. An append
// costs the same however long the log already is.
class LogBox : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit LogBox(QWidget* parent);

    const QString& logText() const { return m_text; }
    void setLogText(const QString& text);
    void appendLog(const QString& text);
    // Moves the view to the last line.
    void showEnd();

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString m_text;
};
