#pragma once
// The platform print dialog with the calendar's options: its height on
// the page, an empty calendar, and three font sizes in points.
#include <QPrintDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace mirovan::view {

class CPrintDialogEx : public QPrintDialog {
public:
    CPrintDialogEx(QPrinter* printer, QWidget* parent, int headingSize, int dateSize, int scheduleSize,
                   bool emptyCalendar);

    int HeightPercent() const { return m_heightPercent; }
    int HeadingSize() const { return m_headingSize; }
    int DateSize() const { return m_dateSize; }
    int ScheduleSize() const { return m_scheduleSize; }
    bool EmptyCalendar() const { return m_emptyCalendar; }

    QWidget* Options() const { return m_options; }
    // Reads the options and keeps the height, as OK does.
    void TakeOptions();

    void accept() override;

private:
    QWidget* m_options = nullptr;
    QComboBox* m_height = nullptr;
    QCheckBox* m_empty = nullptr;
    QLineEdit* m_schedule = nullptr;
    QLineEdit* m_heading = nullptr;
    QLineEdit* m_date = nullptr;
    int m_heightPercent = 0;
    int m_scheduleSize;
    int m_dateSize;
    int m_headingSize;
    bool m_emptyCalendar;
};

} // namespace mirovan::view
