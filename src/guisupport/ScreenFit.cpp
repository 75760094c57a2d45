#include "guisupport/ScreenFit.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <algorithm>

namespace mirovan {
namespace {

const char* const kFitterName = "mirovanScreenFitter";
// Set from a window's show until its frame is known.
const char* const kOpening = "mirovanOpening";

bool HasFrame(const QWidget& window) { return window.frameGeometry() != window.geometry(); }

// Runs after the window has handled the event itself, so that a window
// placing itself (the main frame's stored rectangle) is fitted as placed.
void FitSoon(QWidget* window)
{
    QTimer::singleShot(0, window, [guard = QPointer<QWidget>(window)] {
        if (guard && guard->isVisible())
            FitOnScreen(*guard);
    });
}

class ScreenFitter : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* object, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::Show && type != QEvent::Move && type != QEvent::Resize)
            return false;
        auto* window = qobject_cast<QWidget*>(object);
        if (!window || !window->isWindow())
            return false;
        const Qt::WindowType kind = window->windowType();
        if (kind != Qt::Window && kind != Qt::Dialog)
            return false;
        if (type == QEvent::Show) {
            window->setProperty(kOpening, !HasFrame(*window));
            FitSoon(window);
        } else if (window->property(kOpening).toBool() && HasFrame(*window)) {
            window->setProperty(kOpening, false);
            FitSoon(window);
        } else if (type == QEvent::Resize && qobject_cast<QDialog*>(window) && window->isVisible()) {
            // A dialog that shows more of itself (the print dialog's options).
            FitSoon(window);
        }
        return false;
    }
};

} // namespace

QRect FitIntoArea(const QRect& outer, const QRect& area)
{
    if (area.isEmpty())
        return outer;
    QRect fitted = outer;
    // Position first: the left and top edges win over the right and bottom.
    fitted.moveRight(std::min(fitted.right(), area.right()));
    fitted.moveBottom(std::min(fitted.bottom(), area.bottom()));
    fitted.moveLeft(std::max(fitted.left(), area.left()));
    fitted.moveTop(std::max(fitted.top(), area.top()));
    // Then the size, only where it is larger than the area.
    fitted.setWidth(std::min(fitted.width(), area.width()));
    fitted.setHeight(std::min(fitted.height(), area.height()));
    return fitted;
}

QRect AvailableAreaFor(const QRect& outer)
{
    QScreen* best = nullptr;
    qint64 bestArea = -1;
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect common = screen->geometry().intersected(outer);
        const qint64 area = common.isEmpty() ? 0 : qint64(common.width()) * common.height();
        if (area > bestArea) {
            best = screen;
            bestArea = area;
        }
    }
    if (bestArea <= 0)
        best = QGuiApplication::screenAt(outer.center());
    if (!best)
        best = QGuiApplication::primaryScreen();
    return best ? best->availableGeometry() : QRect();
}

void FitOnScreen(QWidget& window)
{
    if (window.windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))
        return;
    const QRect outer = window.frameGeometry();
    const QRect fitted = FitIntoArea(outer, AvailableAreaFor(outer));
    if (fitted == outer)
        return;
    if (fitted.size() != outer.size()) {
        const QSize frame = outer.size() - window.size();
        window.resize(fitted.size() - frame);
    }
    window.move(fitted.topLeft());
}

void FitWindowsOnScreen()
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || app->findChild<QObject*>(QLatin1String(kFitterName), Qt::FindDirectChildrenOnly))
        return;
    auto* fitter = new ScreenFitter(app);
    fitter->setObjectName(QLatin1String(kFitterName));
    app->installEventFilter(fitter);
}

} // namespace mirovan
