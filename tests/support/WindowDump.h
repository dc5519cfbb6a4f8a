#pragma once

#include <QString>

class QWidget;

// A window as a person meets it, one line per named control: kind, place and size in twips,
// text, state, face and focus, then the order the Tab key walks. Compared with a reviewed text
// in tests/windows/, a changed control shows as the line that differs.
QString dumpWindow(const QWidget* window);

// Compares dumpWindow(window) with tests/windows/<name>.txt. With HALVOREN_WRITE_WINDOWS set the
// file is written instead, for review.
bool windowLooksAsReviewed(const QWidget* window, const QString& name, QString* difference);
