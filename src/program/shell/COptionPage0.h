#pragma once
// The options sheet "設定" with its one page "表示" (dialog 113): the
// two view fonts, the end-time and memory-painting options, the default
// personal file and whether the view follows the shared folder.
#include "interface/MirovanView.h"
#include "program/shell/OptionsHost.h"

#include <QDialog>
#include <QMap>
#include <QString>
#include <QWidget>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace mirovan::shell {

class COptionPage0 : public QWidget {
public:
    COptionPage0(IOptionsHost& app, QWidget* parent);

    // Builds the start font of the font dialog and stores its choice.
    void ChooseFont(bool dateFont);
    void Browse();
    // The page's OK: the choices become the application's settings.
    void Apply();

    const VIEWFONTS& Block() const { return m_block; }
    QWidget* Control(int id) const { return m_controls.value(id); }

private:
    void ReadControls();
    void WriteControls();
    void UpdateFontTexts();

    IOptionsHost& m_app;
    QMap<int, QWidget*> m_controls;
    VIEWFONTS m_block{};
    std::string m_dateFace;     // code page 932
    std::string m_scheduleFace; // code page 932
    int32_t m_scheduleSize = 0;
    int32_t m_dateSize = 0;
    QString m_dateText;
    QString m_scheduleText;
    bool m_noMemDC = false;
    bool m_endTime = false;
    bool m_autoRefresh = true;
    QString m_personal;
    // The stored path and how the field showed it: a path whose bytes are
    // no text cannot pass through the field, so unless edited it is kept.
    std::string m_storedPersonal;
    QString m_shownPersonal;
};

// Runs the sheet modally; on OK the view reloads its fonts and repaints.
// Returns true for OK.
bool RunOptionsSheet(IOptionsHost& app, QWidget* owner);

} // namespace mirovan::shell
