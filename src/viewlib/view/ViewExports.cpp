// The view library's three exports. No C++ exception crosses them: each
// catches, reports and returns its failure value.
#include "guisupport/Fonts.h"
#include "guisupport/ModalCursor.h"
#include "interface/MirovanView.h"
#include "viewlib/output/CListDialog.h"
#include "viewlib/view/CMonthView.h"
#include "viewlib/view/ViewCommands.h"
#include "viewlib/view/ViewFonts.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <exception>

namespace {

mirovan::view::CMonthView* ViewOf(MVVIEW view) { return reinterpret_cast<mirovan::view::CMonthView*>(view); }

void Report(const char* where, const std::exception* ex)
{
    std::fprintf(stderr, "Mirovan view library: %s failed: %s\n", where, ex ? ex->what() : "unknown error");
}

std::vector<std::string> Strings(const MVSTRINGLIST* list)
{
    std::vector<std::string> out;
    if (!list || list->count <= 0 || !list->items)
        return out;
    out.reserve(static_cast<size_t>(list->count));
    for (int32_t i = 0; i < list->count; ++i)
        out.emplace_back(list->items[i] ? list->items[i] : "");
    return out;
}

} // namespace

extern "C" MV_EXPORT MVVIEW CreateMV(const MVRECT*, void* parent, int32_t)
{
    try {
        mirovan::InstallFontSubstitutions();
        auto* view = new mirovan::view::CMonthView(static_cast<QWidget*>(parent));
        view->setGeometry(0, 0, 0, 0);
        view->show();
        view->raise();
        return reinterpret_cast<MVVIEW>(view);
    } catch (const std::exception& ex) {
        Report("CreateMV", &ex);
    } catch (...) {
        Report("CreateMV", nullptr);
    }
    return nullptr;
}

extern "C" MV_EXPORT intptr_t ParseCommand(MVVIEW view, int32_t code, intptr_t p1, intptr_t p2)
{
    if (!view)
        return -1;
    try {
        return DispatchViewCommand(*ViewOf(view), code, p1, p2);
    } catch (const std::exception& ex) {
        Report("ParseCommand", &ex);
    } catch (...) {
        Report("ParseCommand", nullptr);
    }
    return -1;
}

extern "C" MV_EXPORT int32_t ShowListDialog(const char* title, const MVSTRINGLIST* times, const MVSTRINGLIST* contents,
                                            const MVSTRINGLIST* remarks, const void* records)
{
    try {
        mirovan::view::CListDialog dialog(title ? title : "", Strings(times), Strings(contents), Strings(remarks),
                                          records, QApplication::activeWindow());
        mirovan::ExecModal(dialog);
    } catch (const std::exception& ex) {
        Report("ShowListDialog", &ex);
    } catch (...) {
        Report("ShowListDialog", nullptr);
    }
    return 0;
}
