#pragma once

#include <QString>
#include <QStringList>

// The text of a PDF page by page, read with poppler's pdftotext, which
// shares nothing with the program's painting.
namespace PdfText {

bool available();
// One entry per page; empty when the file cannot be read (see `error`).
QStringList pages(const QString &path, QString *error);

} // namespace PdfText
