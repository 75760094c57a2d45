#pragma once
// The detail list: a day's rows in three columns, copied or printed as
// text; its size, place and column widths are kept in the profile.
#include <QDialog>
#include <string>
#include <vector>

class QPushButton;
class QTreeWidget;

namespace mirovan::view {

class CListDialog : public QDialog {
public:
    CListDialog(const std::string& titleCp932, std::vector<std::string> times, std::vector<std::string> contents,
                std::vector<std::string> remarks, const void* records, QWidget* parent = nullptr);

    const std::string& CopyText() const { return m_copyText; }
    std::string PrintTextOf() const;
    QTreeWidget* List() const { return m_list; }

    void OnCopy();
    void OnPrint();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void done(int result) override;

private:
    void SaveGeometry();
    void FitOuterSize();

    std::string m_title;
    std::vector<std::string> m_times;
    std::vector<std::string> m_contents;
    std::vector<std::string> m_remarks;
    [[maybe_unused]] const void* m_records; // passed through the interface, not read yet
    std::string m_copyText;
    QTreeWidget* m_list = nullptr;
    QPushButton* m_copy = nullptr;
    QPushButton* m_print = nullptr;
    QPushButton* m_close = nullptr;
    bool m_saved = false;
    // The stored size is the outer one; the frame is only known once shown.
    QSize m_outerSize;
    bool m_outerPending = true;
};

} // namespace mirovan::view
