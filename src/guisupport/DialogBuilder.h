#pragma once
// Widgets built from a dialog template: one widget per control, named
// "c<id>", at the control's pixel position.
#include "guisupport/DialogTemplate.h"

#include <QIcon>
#include <QMap>
#include <QWidget>
#include <functional>

class QLineEdit;

namespace mirovan {

// How controls beside a label or check box that grew to its text fare.
enum class ControlFlow {
    AsPlaced,      // they stay where the template puts them
    PushAlongRows, // drop-down lists grow to their items too, and each
                   // control keeps the template's gap after the grown
                   // controls left of it on its row
};

// Creates the template's controls as children of parent and returns
// them by id (ids below 0 are the anonymous statics). The parent gets
// the template's font; icon controls take their picture from icons. A
// "number" control with a maximum is at least wide enough to show it.
QMap<int, QWidget*> BuildControls(QWidget* parent, const DialogTemplate& dialog,
                                  const std::function<QIcon(int)>& icons = {},
                                  ControlFlow flow = ControlFlow::AsPlaced);

// The up-down control beside a digits-only edit: it steps the number in
// the edit within its range and writes it back as plain text, which the
// edit's owner sees as an ordinary text change.
class UpDown : public QWidget {
public:
    UpDown(QWidget* parent, int minimum, int maximum);
    void SetBuddy(QLineEdit* buddy) { m_buddy = buddy; }
    void Step(int delta);
    // Where a step from a buddy that holds no number starts.
    void SetPosition(int position) { m_position = position; }
    int Minimum() const { return m_minimum; }
    int Maximum() const { return m_maximum; }

private:
    QLineEdit* m_buddy = nullptr;
    int m_minimum;
    int m_maximum;
    int m_position = 0;
};

} // namespace mirovan
