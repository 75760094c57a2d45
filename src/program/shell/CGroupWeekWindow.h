#pragma once
// The group week window: everyone's week at a glance and the times the
// ticked members are all free, beside the main window. It follows the
// shared folder as the month view does and remembers its place.
#include "program/groupdata/GroupWeek.h"
#include "program/shell/WeekHost.h"
#include "program/shellcore/CFileChangeTracker.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <map>

class QLabel;
class QSpinBox;
class QTableView;
class QTimeEdit;

namespace mirovan::shell {

class CGroupWeekModel;

class CGroupWeekWindow : public QWidget {
public:
    CGroupWeekWindow(IWeekHost& host, QWidget* parent);
    ~CGroupWeekWindow() override;

    // Shows the week of the day and brings the window up.
    void ShowWeekOf(groupweek::Day day);
    void StepWeek(int weeks);
    void ThisWeek();
    // Reads the members and the week's files again.
    void Reload();
    // The main window shows the current cell's member and day.
    void OpenCurrentCell();
    void CopyWeek();

    CGroupWeekModel& Model() { return *m_model; }
    QTableView* Table() const { return m_table; }
    QTimeEdit* FromEdit() const { return m_from; }
    QTimeEdit* ToEdit() const { return m_to; }
    QSpinBox* LengthEdit() const { return m_length; }

protected:
    bool eventFilter(QObject* object, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void HoursEdited();
    void UpdateTitle();
    void Poll();
    void Follow();
    void SavePlace();
    void RestorePlace();

    IWeekHost& m_host;
    CGroupWeekModel* m_model = nullptr;
    QTableView* m_table = nullptr;
    QLabel* m_range = nullptr;
    QTimeEdit* m_from = nullptr;
    QTimeEdit* m_to = nullptr;
    QSpinBox* m_length = nullptr;
    QTimer m_poll;
    QTimer m_soon;
    QElapsedTimer m_clock;
    std::map<std::string, CFileChangeTracker> m_files;
    QString m_members;
    bool m_placeRestored = false;
};

} // namespace mirovan::shell
