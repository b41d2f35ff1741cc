#pragma once
// Prints the run log's lines on pages (a printer's or a PDF file's): per
// page the title "Tarvolin Run Log Report" and the date, 42 lines with their
// tabs expanded, and the footer "Page n"; see RunLogText.h for the layout.

#include <QString>
#include <QStringList>

class QPagedPaintDevice;

class CRunLogPrinter {
public:
    // Prints lines onto device; with lastPage > 0 no line is printed on a
    // page after it. The date is the text under each title. Returns the
    // number of pages produced (an empty log gives one blank page), 0 when
    // the device cannot be painted on.
    static int Print(QPagedPaintDevice& device, const QStringList& lines, const QString& date,
                     int lastPage = 0);
    // Today's date in the title's format.
    static QString Today();
};
