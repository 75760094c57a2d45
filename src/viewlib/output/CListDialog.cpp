#include "viewlib/output/CListDialog.h"

#include "guisupport/DialogBuilder.h"
#include "guisupport/QtText.h"
#include "support/Codepage.h"
#include "support/settings/SettingsStore.h"
#include "viewlib/layout/ListDialogProfile.h"
#include "viewlib/output/TextOutput.h"
#include "viewlib/ui/ViewResources.h"

#include <QHeaderView>
#include <QPushButton>
#include <QResizeEvent>
#include <QTreeWidget>

namespace mirovan::view {
CListDialog::CListDialog(const std::string& titleCp932, std::vector<std::string> times,
                         std::vector<std::string> contents, std::vector<std::string> remarks, const void* records,
                         QWidget* parent)
    : QDialog(parent), m_title(titleCp932), m_times(std::move(times)), m_contents(std::move(contents)),
      m_remarks(std::move(remarks)), m_records(records)
{
    setObjectName(QStringLiteral("listDialog"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);
    const DialogTemplate t = LoadDialogTemplate(114);
    const auto controls = BuildControls(this, t);
    m_list = qobject_cast<QTreeWidget*>(controls.value(1016));
    m_list->setHeaderLabels(ResourceStrings(QStringLiteral("listColumns")));
    for (int c = 0; c < 3; ++c)
        m_list->headerItem()->setTextAlignment(c, Qt::AlignLeft | Qt::AlignVCenter);

    m_copy = qobject_cast<QPushButton*>(controls.value(1012));
    m_print = qobject_cast<QPushButton*>(controls.value(1011));
    m_close = qobject_cast<QPushButton*>(controls.value(2));
    m_close->setAutoDefault(true);
    connect(m_copy, &QPushButton::clicked, this, &CListDialog::OnCopy);
    connect(m_print, &QPushButton::clicked, this, &CListDialog::OnPrint);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);

    setWindowTitle(qttext::FromCp932(m_title));
    const auto widths = UnpackColumnWidths(settings::Read(settings::kListWidth));
    const uint32_t pos = settings::Read(settings::kListPos);
    const uint32_t size = settings::Read(settings::kListSize);
    // Qt places a window by its frame's top-left corner but sizes its
    // client area: the stored outer size takes the frame off once known.
    move(PairHigh(pos), PairLow(pos));
    m_outerSize = QSize(PairHigh(size), PairLow(size));
    resize(m_outerSize);
    // A stretched last column would be stored and reopen wider than the
    // list; the columns keep the widths they are given.
    m_list->header()->setStretchLastSection(false);
    for (int c = 0; c < 3; ++c)
        m_list->setColumnWidth(c, widths[static_cast<size_t>(c)]);

    const size_t rows = m_contents.size();
    for (size_t i = 0; i < rows; ++i) {
        const std::string& time = i < m_times.size() ? m_times[i] : std::string();
        const std::string& remark = i < m_remarks.size() ? m_remarks[i] : std::string();
        new QTreeWidgetItem(
            m_list, QStringList{qttext::FromCp932(time), qttext::FromCp932(m_contents[i]), qttext::FromCp932(remark)});
        m_copyText += time + " " + m_contents[i] + " " + remark + "\r\n";
    }
    m_close->setFocus();
}

std::string CListDialog::PrintTextOf() const { return m_title + "\r\n--------------------\r\n" + m_copyText; }

void CListDialog::OnCopy() { CopyTextToClipboard(m_copyText); }

void CListDialog::OnPrint() { PrintText(PrintTextOf(), codepage::FromUtf8("ＭＳ Ｐ明朝").value(), 11, this); }

void CListDialog::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    const int w = event->size().width();
    const int h = event->size().height();
    m_list->setGeometry(0, 0, w, std::max(0, h - 30));
    m_print->move(10, h - 25);
    m_copy->move(110, h - 25);
    m_close->move(210, h - 25);
}

void CListDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FitOuterSize();
}

void CListDialog::moveEvent(QMoveEvent* event)
{
    QDialog::moveEvent(event);
    FitOuterSize();
}

void CListDialog::FitOuterSize()
{
    if (!m_outerPending || !isVisible() || (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)))
        return;
    const QSize frame = frameGeometry().size() - size();
    if (frame.isNull())
        return; // not framed yet, or never: the client size is the outer one
    m_outerPending = false;
    resize(m_outerSize - frame);
}

void CListDialog::SaveGeometry()
{
    if (m_saved)
        return;
    m_saved = true;
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))) {
        const QRect frame = frameGeometry();
        settings::Write(settings::kListPos, PackPair(frame.left(), frame.top()));
        settings::Write(settings::kListSize, PackPair(frame.width(), frame.height()));
    }
    settings::Write(settings::kListWidth,
                    PackColumnWidths(m_list->columnWidth(0), m_list->columnWidth(1), m_list->columnWidth(2)));
}

void CListDialog::done(int result)
{
    SaveGeometry();
    QDialog::done(result);
}

} // namespace mirovan::view
