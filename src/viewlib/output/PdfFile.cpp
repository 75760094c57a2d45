#include "viewlib/output/PdfFile.h"

#include "guisupport/QtText.h"
#include "support/FileError.h"
#include "support/FileMessage.h"
#include "support/platform/Platform.h"

#include <QDir>
#include <QPrinter>

namespace mirovan::view {

PrintToFile::PrintToFile(QPrinter& printer)
    : m_printer(printer), m_target(printer.outputFileName()),
      m_scratch(QDir::tempPath() + QStringLiteral("/mirovan-print-XXXXXX.pdf"))
{
    if (m_target.isEmpty())
        return;
    // The printer opens the file itself; it only needs the name.
    if (m_scratch.open()) {
        m_scratch.close();
        m_printer.setOutputFileName(m_scratch.fileName());
    }
}

PrintToFile::~PrintToFile() { Restore(); }

void PrintToFile::Restore()
{
    if (!m_target.isEmpty())
        m_printer.setOutputFileName(m_target);
}

std::string PrintToFile::Deliver(bool painted)
{
    Restore();
    if (m_target.isEmpty() || !painted)
        return {};
    const std::string target = qttext::ToNativePath(m_target);
    // The printer never says that a write failed: what it left must be whole.
    const std::optional<std::string> bytes = platform::ReadSmallFile(qttext::ToNativePath(m_scratch.fileName()));
    if (!bytes || !IsWholePdf(*bytes))
        return FileFailureMessage(kFileGeneric, target);
    try {
        platform::OutputFile file(target);
        file.Write(bytes->data(), bytes->size());
        file.Commit();
    } catch (const CFileException& ex) {
        return FileFailureMessage(ex.m_cause, target);
    }
    return {};
}

bool IsWholePdf(const std::string& bytes)
{
    size_t end = bytes.size();
    while (end > 0 && (bytes[end - 1] == '\n' || bytes[end - 1] == '\r'))
        --end;
    constexpr std::string_view kEnd = "%%EOF";
    if (end < kEnd.size() || bytes.compare(end - kEnd.size(), kEnd.size(), kEnd) != 0)
        return false;
    const size_t start = bytes.rfind("startxref", end);
    if (start == std::string::npos)
        return false;
    size_t offset = 0;
    size_t i = start + 9;
    while (i < end && (bytes[i] == '\n' || bytes[i] == '\r' || bytes[i] == ' '))
        ++i;
    const size_t digits = i;
    for (; i < end && bytes[i] >= '0' && bytes[i] <= '9' && offset < bytes.size(); ++i)
        offset = offset * 10 + static_cast<size_t>(bytes[i] - '0');
    return i > digits && offset < start && bytes.compare(offset, 4, "xref") == 0;
}

} // namespace mirovan::view
