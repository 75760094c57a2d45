#include "viewlib/output/CPrintDialogEx.h"

#include "guisupport/DialogBuilder.h"
#include "support/settings/SettingsStore.h"
#include "viewlib/layout/CalendarPage.h"
#include "viewlib/ui/ViewResources.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <algorithm>

namespace mirovan::view {
namespace {

// Leading digits, as the platform reads a number from an edit control,
// limited to the sizes printing takes.
int LeadingSize(const QString& text)
{
    int value = 0;
    for (const QChar c : text) {
        if (!c.isDigit() || value > kMaxPrintPoints)
            break;
        value = value * 10 + c.digitValue();
    }
    return ClampPrintPoints(value);
}

} // namespace

CPrintDialogEx::CPrintDialogEx(QPrinter* printer, QWidget* parent, int headingSize, int dateSize, int scheduleSize,
                               bool emptyCalendar)
    : QPrintDialog(printer, parent), m_scheduleSize(scheduleSize), m_dateSize(dateSize), m_headingSize(headingSize),
      m_emptyCalendar(emptyCalendar)
{
    setOption(QAbstractPrintDialog::PrintSelection, false);
    setOption(QAbstractPrintDialog::PrintPageRange, false);
    setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    const DialogTemplate t = LoadDialogTemplate(1538);
    setWindowTitle(t.title);

    // The options group with the template's controls, placed as the
    // template places them relative to the group.
    const DialogControl* group = t.Control(-1);
    m_options = new QWidget;
    m_options->setObjectName(QStringLiteral("options"));
    m_options->setWindowTitle(group->text);
    m_options->setFont(t.font);
    auto* box = new QGroupBox(group->text, m_options);
    DialogTemplate inGroup = t;
    inGroup.controls.clear();
    for (const DialogControl& c : t.controls) {
        if (c.id == -1)
            continue;
        inGroup.controls.push_back(c);
        inGroup.controls.back().rect.translate(-group->rect.topLeft());
        if (c.id == 1019)
            for (int p = 10; p <= 100; p += 10)
                inGroup.controls.back().items << QString::number(p);
        if (c.kind == QLatin1String("number"))
            inGroup.controls.back().maximum = kMaxPrintPoints;
    }
    // The installed faces set these texts wider than the template allows:
    // every text shows whole, and the group grows to hold them.
    const auto controls = BuildControls(box, inGroup, {}, ControlFlow::PushAlongRows);
    m_height = qobject_cast<QComboBox*>(controls.value(1019));
    m_empty = qobject_cast<QCheckBox*>(controls.value(1020));
    m_schedule = qobject_cast<QLineEdit*>(controls.value(1021));
    m_heading = qobject_cast<QLineEdit*>(controls.value(1022));
    m_date = qobject_cast<QLineEdit*>(controls.value(1023));
    const QSize templateSize = t.ToPixels(group->rect.size());
    const int margin = t.ToPixels(QSize(6, 0)).width();
    box->setGeometry(0, 0, std::max(templateSize.width(), box->childrenRect().right() + 1 + margin),
                     std::max(templateSize.height(), box->childrenRect().bottom() + 1 + margin));
    m_options->setMinimumSize(box->size());

    const uint32_t height = settings::Read(settings::kPrintHeight);
    m_height->setCurrentIndex(height >= 10 && height <= 109 ? static_cast<int>(height / 10 - 1) : -1);
    m_heading->setText(QString::number(m_headingSize));
    m_schedule->setText(QString::number(m_scheduleSize));
    m_date->setText(QString::number(m_dateSize));
    m_empty->setChecked(m_emptyCalendar);
    setOptionTabs({m_options});
}

void CPrintDialogEx::TakeOptions()
{
    m_heightPercent = m_height->currentIndex() * 10 + 10;
    settings::Write(settings::kPrintHeight, static_cast<uint32_t>(m_heightPercent));
    m_headingSize = LeadingSize(m_heading->text());
    m_scheduleSize = LeadingSize(m_schedule->text());
    m_dateSize = LeadingSize(m_date->text());
    m_emptyCalendar = m_empty->isChecked();
}

void CPrintDialogEx::accept()
{
    TakeOptions();
    QPrintDialog::accept();
}

} // namespace mirovan::view
