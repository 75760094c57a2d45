#pragma once
// Every window and dialog of both deliverables opens inside the
// available area of its screen: one that would reach past an edge is
// moved in first, and made smaller only where it is larger than the area.
#include <QRect>

class QWidget;

namespace mirovan {

// The rule itself: outer moved, then cut, to lie within area.
QRect FitIntoArea(const QRect& outer, const QRect& area);

// The available area of the screen that holds most of the rectangle.
QRect AvailableAreaFor(const QRect& outer);

// Fits a window's outer rectangle, its frame included once known.
// Maximised, minimised and full-screen windows are left alone.
void FitOnScreen(QWidget& window);

// From now on each window is fitted as it opens and once more when its
// frame becomes known, and a dialog whenever it grows. Once per process,
// whichever of the program and the view library calls it first.
void FitWindowsOnScreen();

} // namespace mirovan
