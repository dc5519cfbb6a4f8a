#pragma once

#include "LogPrinter.h"

// Prints on the default printer, or into a PDF file when one is given (tests use this).
class QtLogPrinter : public LogPrinter
{
public:
    explicit QtLogPrinter(QString pdfFile = {});

    QString print(const QString& text) override;

private:
    QString m_pdfFile;
};
