#pragma once
// The month view: a child window that draws the month grid, moves the
// selection, hosts the memo editor and answers the numbered commands.
#include "interface/MirovanView.h"
#include "viewlib/grid/CMonthGrid.h"
#include "viewlib/personal/CPersonalFile.h"
#include "viewlib/ui/ViewUi.h"

#include <QFont>
#include <QPixmap>
#include <QWidget>
#include <memory>
#include <optional>

namespace mirovan::view {

class CMemoEdit;

class CMonthView : public QWidget, private IMonthGridHost {
public:
    explicit CMonthView(QWidget* parent);
    ~CMonthView() override;

    // The month shown. SetMonth ignores a month that does not exist;
    // before the first month is built, the neighbours are those of the
    // grid's day 0.
    void SetMonth(int year, int month);
    void ShowNextMonth() { StepMonth(1); }
    void ShowPreviousMonth() { StepMonth(-1); }
    void ShowThisMonth();
    // The first day of the month shown, as the grid keeps it.
    const DATEREC& DisplayedMonth() const { return m_grid.MonthDate(); }

    // SetMode only stores the mode; SwitchMode empties and refills the
    // cells for it.
    int Mode() const { return m_mode; }
    void SetMode(int32_t mode) { m_mode = mode; }
    void SwitchMode(bool toSchedule);

    // The program's callbacks; the holidays count from the next month built.
    void SetHolidays(const HOLIDAYINFO& holidays);
    // Where a holiday's name comes from; none leaves cells saying 休日.
    void SetHolidayNames(HOLIDAYNAMEPROC proc);
    void SetEventProc(VIEWEVENTPROC proc, void* context);

    // The schedule lines of the displayed month's days, shown at the next paint.
    void SetDayTexts(const MVSTRINGLIST* lists);
    // The selected cell's date, or null when no cell is selected.
    const DATEREC* SelectedDate() const;
    // A day of the displayed month; any other number selects nothing.
    void SelectDay(int day);
    // Opens the editor over the selected cell, unless one is open.
    void EditSelectedMemo();

    // LoadFontSettings reads the settings; the fonts drawn change with
    // ResetFonts.
    void LoadFontSettings();
    void ResetFonts();
    const VIEWFONTS& Fonts() const { return m_fonts; }

    void Redraw() { update(); }
    // A rectangle in the parent's coordinates; an inverted one is empty.
    void Place(const MVRECT& rect);
    // Returns whether the view was visible before.
    bool ShowView(bool show);
    // The print dialog, then the displayed month on one page; the member's
    // name heads it.
    void PrintMonth(const char* memberNameCp932);

    // The personal file. An empty path takes the path from the settings.
    // SaveBeforeClosing is false when the window must stay open: a memo
    // the file cannot hold yet, or the user chose to go back.
    void SetPersonalPath(const char* path);
    void LoadPersonalPath();
    void LoadPersonal();
    void SavePersonal();
    bool SaveBeforeClosing();
    void SaveBeforeExiting();
    // Saves the memos without showing anything, for a program that has
    // lost its display; see MV_SAVE_QUIET.
    void SaveWithoutWindows();

    // Opening and closing the memo editor. A forced close (change of
    // month or mode, destruction) always closes; otherwise text that
    // cannot be stored keeps the editor open.
    void BeginEdit(int index);
    bool EndEdit(bool forced = false);

    // Replaces the message boxes, for tests.
    void SetUserInterface(IUserInterface* ui) { m_ui = ui ? ui : &m_ownUi; }
    IUserInterface& Ui() { return *m_ui; }

    CMonthGrid& Grid() { return m_grid; }
    const CMonthGrid& Grid() const { return m_grid; }
    CPersonalFile& Personal() { return m_personal; }
    void SetDirectPainting(bool direct) { m_directPainting = direct; }
    bool DirectPainting() const { return m_directPainting; }
    CMemoEdit* Editor() const { return m_editor; }
    // The holiday's name as the program tells it, empty when it does not.
    QString HolidayName(int year, int month, int day) const;

    // Draws the update rectangle of the client area into a painter.
    void Render(const QRect& update, QPainter& painter);
    // The editor's place over a cell, below its day number.
    QRect EditorRect(const GridRect& cell);
    QFont DayFont();
    QFont TextFont();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // IMonthGridHost
    int32_t HolidayStatus(int32_t year, int32_t month, int32_t day) override;
    bool PlainWeekends() const override { return m_plainWeekends != 0; }
    Colour WindowColour() const override;
    void SavePersonalIfModified() override;
    bool HasPersonalPath() const override;
    std::string PersonalDayText(uint32_t dayKey) override;
    void Invalidate(const GridRect* rect, bool erase) override;

    void Layout();
    void StepMonth(int months);
    void FireEvent(int32_t event, const QPoint& pos);
    void PaintCell(QPainter& painter, const CDayCell& cell);
    void CommitMemo(const std::string& cp932);
    void ReadPersonalFileReportingDamage();
    static std::string DefaultPersonalPath();
    // The memos went to another file after their own failed.
    void PersonalFileMoved(const std::string& from, const std::string& to);

    // The personal file reports through whatever interface is current.
    struct UiRelay : IUserInterface {
        CMonthView* view = nullptr;
        void ShowMessage(const std::string& text, MessageIcon icon) override;
        FailedSaveChoice AskAboutFailedSave(const FailedSave& failure, std::string& otherPath) override;
        bool AskQuestion(Question question, const std::vector<std::string>& arguments) override;
        void BeginWait() override;
        void EndWait() override;
    };

    ViewUi m_ownUi;
    IUserInterface* m_ui;
    UiRelay m_relay;
    VIEWFONTS m_fonts;
    VIEWEVENTPROC m_eventProc = nullptr;
    void* m_eventContext = nullptr;
    int32_t m_mode = MV_MODE_SCHEDULE;
    CPersonalFile m_personal;
    int32_t m_plainWeekends = 0;
    HOLIDAYPROC m_holidayProc = nullptr;
    HOLIDAYNAMEPROC m_holidayNameProc = nullptr;
    bool m_directPainting = false;
    QPixmap m_memory;
    bool m_memoryReady = false;
    CMonthGrid m_grid;
    std::optional<QFont> m_dayFont;
    std::optional<QFont> m_textFont;
    // The open editor, null while none is open. The widget itself is kept
    // hidden between edits: a key or focus event may still be on its way
    // to it from inside a dialog's event loop.
    CMemoEdit* m_editor = nullptr;
    CMemoEdit* m_keptEditor = nullptr;
    // The memo goes to the date the editor was opened on, whatever the
    // grid shows by the time it closes.
    uint32_t m_editDayKey = 0;
    bool m_closingEditor = false;
};

} // namespace mirovan::view
