#include "QtLogPrinter.h"

#include <QAbstractTextDocumentLayout>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextDocument>
#include <utility>

QtLogPrinter::QtLogPrinter(QString pdfFile)
    : m_pdfFile(std::move(pdfFile))
{
}

QString QtLogPrinter::print(const QString& text)
{
    QPrinter printer;
    if (!m_pdfFile.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_pdfFile);
    } else {
        const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
        if (defaultPrinter.isNull())
            return QStringLiteral("No printer is installed.");
        printer.setPrinterName(defaultPrinter.printerName());
    }
    if (!printer.isValid())
        return QStringLiteral("The printer cannot be used.");

    QString page = text + QStringLiteral("\r\n");
    page.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QTextDocument document;
    document.setPlainText(page);
    // A document paginated for the printer prints as it is, without added page numbers.
    document.documentLayout()->setPaintDevice(&printer);
    document.setPageSize(printer.pageRect(QPrinter::DevicePixel).size());
    document.print(&printer);
    if (printer.printerState() == QPrinter::Error)
        return QStringLiteral("The printer reported an error.");
    return {};
}
