#pragma once

#include <QString>

class QWidget;

// A window as a person meets it, one line per named control: kind, place and size in twips,
// text, state, face and focus, then the order the Tab key walks.
QString dumpWindow(const QWidget* window);

// A text as one line after its label, line ends and temporary folders written out.
QString dumpText(const QString& label, const QString& text);

// The inverse of a dumped text: \r, \n and \xNN read back, the quotes around it taken off;
// "7\{5}" is 77777.
QString unquoted(QString text);

// A data file as one line: its name and its text, or "missing".
QString dumpFile(const QString& path);

// Rows for the running test function's data, one for each of its reviewed transcripts: a
// "steps" column of the transcript's lines that start "> ", without that mark.
void addReviewedRows();

// What differs between `shown` and the reviewed transcript of the running test row,
// tests/walks/<test program>/<test function>-<row>.txt: the first line that differs and the step
// before it; empty when nothing does. With HALVOREN_WRITE_WALKS set the file is written instead,
// for review.
QString reviewedDifference(const QString& shown);
