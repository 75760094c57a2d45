#include "program/shell/COptionPage0.h"

#include "guisupport/QtText.h"
#include "program/shell/FontDialog.h"
#include "program/shell/ShellResources.h"
#include "program/shell/ShellUi.h"
#include "program/shell/ViewClient.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cmath>
#include <cstring>

namespace mirovan::shell {
namespace {

enum : int {
    IDC_DATE_FONT_TEXT = 1010,
    IDC_SCHEDULE_FONT_TEXT = 1011,
    IDC_DATE_FONT = 1012,
    IDC_SCHEDULE_FONT = 1013,
    IDC_NO_MEMDC = 1014,
    IDC_END_TIME = 1022,
    IDC_PERSONAL_PATH = 1038,
    IDC_BROWSE = 1039,
    IDC_AUTO_REFRESH = 1040,
};

std::string Face(const char (&field)[64]) { return std::string(field, strnlen(field, sizeof field)); }

} // namespace

COptionPage0::COptionPage0(IOptionsHost& app, QWidget* parent) : QWidget(parent), m_app(app)
{
    const DialogTemplate t = LoadDialogTemplate(113);
    m_controls = BuildControls(this, t);
    setMinimumSize(t.ToPixels(t.size));
    // The read-only note reads under the heading above it; a buddy would
    // want a letter for a field that takes no focus.
    Control(-4)->setAccessibleName(qobject_cast<QLabel*>(Control(-3))->text());
    connect(qobject_cast<QPushButton*>(Control(IDC_DATE_FONT)), &QPushButton::clicked, this,
            [this] { ChooseFont(true); });
    connect(qobject_cast<QPushButton*>(Control(IDC_SCHEDULE_FONT)), &QPushButton::clicked, this,
            [this] { ChooseFont(false); });
    connect(qobject_cast<QPushButton*>(Control(IDC_BROWSE)), &QPushButton::clicked, this, [this] { Browse(); });

    // The fonts the view uses now, which may differ from the saved ones.
    m_block = m_app.View().Fonts().value_or(m_app.Settings().fonts);
    m_dateFace = Face(m_block.Font0);
    m_scheduleFace = Face(m_block.Font1);
    m_scheduleSize = m_block.FontSize1;
    m_dateSize = m_block.FontSize0;
    // The view's copy of the spare field is not the chosen value: the
    // application keeps its own.
    m_noMemDC = m_app.Settings().noMemDC != 0;
    m_endTime = m_app.Settings().endTime != 0;
    m_autoRefresh = m_app.Settings().autoRefresh != 0;
    m_storedPersonal = m_app.Settings().personal;
    m_shownPersonal = qttext::FromNativePath(m_storedPersonal);
    m_personal = m_shownPersonal;
    WriteControls();
    UpdateFontTexts();
}

void COptionPage0::ReadControls()
{
    m_dateText = qobject_cast<QLabel*>(Control(IDC_DATE_FONT_TEXT))->text();
    m_scheduleText = qobject_cast<QLabel*>(Control(IDC_SCHEDULE_FONT_TEXT))->text();
    m_noMemDC = qobject_cast<QCheckBox*>(Control(IDC_NO_MEMDC))->isChecked();
    m_endTime = qobject_cast<QCheckBox*>(Control(IDC_END_TIME))->isChecked();
    m_autoRefresh = qobject_cast<QCheckBox*>(Control(IDC_AUTO_REFRESH))->isChecked();
    m_personal = qobject_cast<QLineEdit*>(Control(IDC_PERSONAL_PATH))->text();
}

void COptionPage0::WriteControls()
{
    qobject_cast<QLabel*>(Control(IDC_DATE_FONT_TEXT))->setText(m_dateText);
    qobject_cast<QLabel*>(Control(IDC_SCHEDULE_FONT_TEXT))->setText(m_scheduleText);
    qobject_cast<QCheckBox*>(Control(IDC_NO_MEMDC))->setChecked(m_noMemDC);
    qobject_cast<QCheckBox*>(Control(IDC_END_TIME))->setChecked(m_endTime);
    qobject_cast<QCheckBox*>(Control(IDC_AUTO_REFRESH))->setChecked(m_autoRefresh);
    qobject_cast<QLineEdit*>(Control(IDC_PERSONAL_PATH))->setText(m_personal);
}

void COptionPage0::UpdateFontTexts()
{
    ReadControls();
    // A half-point size shows as chosen: 105 is "10.5pt", not "10pt".
    m_dateText = QStringLiteral("%1, %2pt").arg(qttext::FromCp932(m_dateFace), FontDialog::SizeText(m_dateSize / 10.0));
    m_scheduleText =
        QStringLiteral("%1, %2pt").arg(qttext::FromCp932(m_scheduleFace), FontDialog::SizeText(m_scheduleSize / 10.0));
    WriteControls();
}

void COptionPage0::ChooseFont(bool dateFont)
{
    const int32_t size = dateFont ? m_dateSize : m_scheduleSize;
    const std::string& face = dateFont ? m_dateFace : m_scheduleFace;
    // The dialog knows only installed faces: it starts on the look-alike
    // the face is drawn with, in half points.
    const QString faceName = qttext::FromCp932(face);
    QFont initial(QFontInfo(QFont(faceName)).family());
    initial.setPointSizeF(std::max(1, size) / 10.0);
    const auto chosen = m_app.Ui().ChooseFont(initial);
    if (!chosen)
        return;
    // The look-alike chosen again is still the face in use.
    const QString family =
        chosen->family().compare(initial.family(), Qt::CaseInsensitive) == 0 ? faceName : chosen->family();
    const auto cp932 = qttext::ToCp932(family).bytes;
    if (!cp932 || cp932->empty()) {
        m_app.Ui().ShowMessage("このフォント名は保存できません: " + qttext::ToUtf8(family), MessageIcon::Exclamation);
        return;
    }
    const double points = chosen->pointSizeF() > 0 ? chosen->pointSizeF() : size / 10.0;
    // The face field holds 63 bytes; a longer name is cut where it fits.
    char field[64];
    SetFaceName(field, *cp932);
    (dateFont ? m_dateFace : m_scheduleFace) = Face(field);
    (dateFont ? m_dateSize : m_scheduleSize) = static_cast<int32_t>(std::lround(points * 10));
    UpdateFontTexts();
}

void COptionPage0::Browse()
{
    ReadControls();
    FileDialogRequest request;
    request.filter = qttext::FromUtf8("Mirovanファイル (*.mvp);;全てのファイル (*)");
    request.defaultSuffix = QStringLiteral("mvp");
    request.folder = m_app.PersonalStartFolder();
    if (auto path = m_app.Ui().ChooseFile(request)) {
        m_app.RememberPersonalFolder(*path);
        m_personal = *path;
        WriteControls();
    }
}

void COptionPage0::Apply()
{
    ReadControls();
    m_app.SetEndTime(m_endTime);
    m_app.SetNoMemDC(m_noMemDC);
    m_app.SetAutoRefresh(m_autoRefresh);
    m_block = MakeViewFonts(m_dateFace, m_dateSize, m_scheduleFace, m_scheduleSize, m_app.Settings().noMemDC);
    m_app.SetPersonalSetting(m_personal == m_shownPersonal ? m_storedPersonal : qttext::ToNativePath(m_personal));
    m_app.SaveSettings();
}

bool RunOptionsSheet(IOptionsHost& app, QWidget* owner)
{
    QDialog sheet(owner);
    sheet.setObjectName(QStringLiteral("optionSheet"));
    sheet.setWindowTitle(QStringLiteral("設定"));
    auto* layout = new QVBoxLayout(&sheet);
    auto* tabs = new QTabWidget(&sheet);
    auto* page = new COptionPage0(app, tabs);
    page->setObjectName(QStringLiteral("COptionPage0"));
    tabs->addTab(page, LoadDialogTemplate(113).title);
    layout->addWidget(tabs);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &sheet);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &sheet, [&sheet, page] {
        page->Apply();
        sheet.accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &sheet, &QDialog::reject);
    sheet.setFixedSize(sheet.sizeHint());

    if (app.Ui().RunDialog(sheet) != QDialog::Accepted)
        return false;
    app.SetFonts(page->Block());
    app.SaveSettings();
    app.View().ReloadSavedFonts();
    app.RemakeTexts();
    app.View().ResetFonts();
    app.View().Redraw();
    return true;
}

} // namespace mirovan::shell
