#pragma once
// Printing into a file: the printer draws into a scratch file, and the
// named file gets the document only once it is whole, so a full disk or
// an unwritable target leaves no part of a PDF behind.
#include <QString>
#include <QTemporaryFile>
#include <string>

class QPrinter;

namespace mirovan::view {

class PrintToFile {
public:
    // Sends the printer's output to a scratch file when it prints to a file.
    explicit PrintToFile(QPrinter& printer);
    // Puts the printer's file name back; the scratch file goes.
    ~PrintToFile();
    PrintToFile(const PrintToFile&) = delete;
    PrintToFile& operator=(const PrintToFile&) = delete;

    // Once the painter has ended (painted: what end() said): the document
    // written to the named file; empty then, else the report naming it.
    std::string Deliver(bool painted);

private:
    void Restore();

    QPrinter& m_printer;
    QString m_target;
    QTemporaryFile m_scratch;
};

// Whether the bytes are a PDF written to its end: the trailer is there and
// its cross-reference offset lies inside the file.
bool IsWholePdf(const std::string& bytes);

} // namespace mirovan::view
