#pragma once
// The control bar (dialog 105) at the top of the frame: the open group
// or personal file, the member, the year and month, and the buttons.
#include "program/groupdata/CGroup.h"
#include "program/groupdata/CScheduleEntry.h"
#include "program/shell/BarHost.h"

#include <QMap>
#include <QString>
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace mirovan {
class UpDown;
}

namespace mirovan::shell {

class CSelectBar : public QWidget, public IGroupBar {
public:
    CSelectBar(IBarHost& host, QWidget* parent);

    void SetDate(const DateValue& date);
    void OnDateChanged(bool force);
    void FillMemberList(const CGroup& group);
    int SelectMember(int entry);
    // Shows the member entry the group has already chosen, without
    // running the choice (which would rebuild the displayed month).
    void ShowMemberEntry(int entry);
    void SetGroupName(const QString& text);
    void OnMemberChanged();
    void ShowMode(bool schedule);
    // Sets the "個人利用" button without running its handler.
    void SetPersonalButton(bool pressed);

    // IGroupBar
    void ShowGroupName(const std::string& name) override;
    void RefillMemberList(const CGroup& group) override { FillMemberList(group); }
    // The entry the group restored: shown, without changing the choice.
    void SelectEntry(int entry) override;

    QWidget* Control(int id) const { return m_controls.value(id); }
    QLineEdit* YearEdit() const { return m_year; }
    QComboBox* MonthList() const { return m_month; }
    QComboBox* MemberList() const { return m_member; }
    QPushButton* PersonalButton() const { return m_personalButton; }
    UpDown* YearSpin() const { return m_spin; }
    const QString& YearText() const { return m_yearText; }
    int MonthEntry() const { return m_monthEntry; }

protected:
    bool eventFilter(QObject* object, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The data exchange: controls to fields, and back without any
    // change notification reaching the handlers.
    void ReadControls();
    void WriteControls();
    void SendMonth(int year, int monthEntry);
    // Shows the displayed month for the member in the list.
    void ShowMemberMonth();

    IBarHost& m_host;
    QMap<int, QWidget*> m_controls;
    QLineEdit* m_year = nullptr;
    UpDown* m_spin = nullptr;
    QComboBox* m_month = nullptr;
    QComboBox* m_member = nullptr;
    QLabel* m_name = nullptr;
    QPushButton* m_personalButton = nullptr;

    QString m_yearText;
    int m_monthEntry = -1;
    QString m_groupName;
    int m_memberEntry = -1;
    bool m_personal = false;
    bool m_busy = true;
};

} // namespace mirovan::shell
