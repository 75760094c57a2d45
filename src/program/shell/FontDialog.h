#pragma once
// Qt's font dialog, offering sizes in half points: its own size field
// and list take whole points only, so ours stand in their place and the
// chosen size (10.5 stays 10.5) is kept beside Qt's whole one.
#include <QFontDialog>

class QGridLayout;
class QLineEdit;
class QListWidget;

namespace mirovan::shell {

class FontDialog : public QFontDialog {
public:
    explicit FontDialog(QWidget* parent = nullptr);

    // Starts on font, its size in tenths of a point kept as they are.
    void Start(const QFont& font);
    // The font the user chose, with the size as typed or picked.
    QFont Chosen() const;

    // Text of a size in points, "10" or "10.5".
    static QString SizeText(double points);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool TakeQtSizeWidgets();
    void FillSizes();
    void SetPoints(double points, bool fromList);
    void ApplyToSample();

    QLineEdit* m_qtSizeEdit = nullptr;
    QWidget* m_qtSizeList = nullptr;
    QLineEdit* m_sample = nullptr;
    QLineEdit* m_sizeEdit = nullptr;
    QListWidget* m_sizeList = nullptr;
    double m_points = 0;
};

} // namespace mirovan::shell
