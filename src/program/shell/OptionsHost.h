#pragma once
// What the options sheet asks of the application: the settings it shows
// and changes, the view that takes the chosen fonts, and the dialogs it
// runs. Kept apart so that the sheet knows nothing of the frame or the
// application object.
#include "interface/MirovanView.h"
#include "program/shellcore/Settings.h"

#include <QString>
#include <string>

namespace mirovan::shell {

class IShellUi;
class ViewClient;

class IOptionsHost {
public:
    virtual ~IOptionsHost() = default;

    virtual IShellUi& Ui() = 0;
    virtual ViewClient& View() = 0;
    virtual const ShellSettings& Settings() const = 0;
    virtual void SetFonts(const VIEWFONTS& fonts) = 0;
    virtual void SetEndTime(bool shown) = 0;
    virtual void SetNoMemDC(bool direct) = 0;
    // Whether the view follows the shared folder by itself, from now on.
    virtual void SetAutoRefresh(bool on) = 0;
    virtual void SetPersonalSetting(std::string path) = 0;
    virtual void SaveSettings() = 0;
    // Where choosing a personal file starts, and the folder chosen there.
    virtual QString PersonalStartFolder() const = 0;
    virtual void RememberPersonalFolder(const QString& chosenPath) = 0;
    // The shown month's texts are made again: the end-time choice and the
    // fonts change them.
    virtual void RemakeTexts() = 0;
};

} // namespace mirovan::shell
