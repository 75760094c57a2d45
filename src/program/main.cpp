// Mirovan: shows a Tillbrook group's schedules as a month calendar.
#include "guisupport/QtText.h"
#include "program/shell/CMainFrame.h"
#include "program/shell/CShellApp.h"
#include "program/shell/EndSignalWatch.h"
#include "program/shellcore/CommandLine.h"
#include "support/HelpText.h"

#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <deque>

namespace {

// The manual page's synopsis and options (docs/man).
constexpr const char* kHelpJa =
#include "Mirovan.help.ja.inc"
    ;
constexpr const char* kHelpEn =
#include "Mirovan.help.en.inc"
    ;

// --help and --version are answered before QApplication exists, so they
// need no display; -1 when the first argument is neither.
int AnswerInformationOption(int argc, char** argv)
{
    if (argc < 2)
        return -1;
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)
        std::fputs(mirovan::ChooseText(kHelpJa, kHelpEn), stdout);
    else if (std::strcmp(argv[1], "--version") == 0)
        std::fputs(mirovan::VersionLine("Mirovan").c_str(), stdout);
    else
        return -1;
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}

// --screenshot FILE draws the window (with the dialog open over it, if
// any) into FILE and ends; --command ID, repeatable, first runs menu
// commands, and --command day:N selects day N of the month shown. For
// machines without a display, with QT_QPA_PLATFORM=offscreen.
struct ProgramArguments {
    std::vector<std::string> rest;
    QString screenshot;
    std::deque<int> commands;
};

ProgramArguments SplitArguments(int argc, char** argv)
{
    ProgramArguments out;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc)
            out.screenshot = mirovan::qttext::FromNativePath(argv[++i]);
        else if (std::strcmp(argv[i], "--command") == 0 && i + 1 < argc) {
            const char* command = argv[++i];
            // Days are kept as negative numbers beside the command ids.
            out.commands.push_back(std::strncmp(command, "day:", 4) == 0 ? -std::atoi(command + 4)
                                                                         : std::atoi(command));
        } else
            out.rest.emplace_back(argv[i]);
    }
    return out;
}

bool SaveScreenshot(mirovan::shell::CMainFrame& frame, const QString& file)
{
    QImage image = frame.grab().toImage();
    if (QWidget* modal = QApplication::activeModalWidget()) {
        QPainter painter(&image);
        const QPoint at = modal->frameGeometry().topLeft() - frame.geometry().topLeft();
        painter.fillRect(QRect(at, modal->size()).adjusted(-1, -1, 1, 1), Qt::darkGray);
        painter.drawPixmap(at, modal->grab());
    }
    return image.save(file);
}

} // namespace

int main(int argc, char** argv)
{
    if (const int status = AnswerInformationOption(argc, argv); status >= 0)
        return status;
    QApplication application(argc, argv);
    const mirovan::shell::EndSignalWatch endSignals;
    ProgramArguments args = SplitArguments(argc, argv);
    mirovan::shell::CShellApp app;

    bool shot = false;
    QTimer shooter;
    if (!args.screenshot.isEmpty()) {
        shooter.setInterval(400);
        QObject::connect(&shooter, &QTimer::timeout, [&] {
            mirovan::shell::CMainFrame* frame = app.Frame();
            if (!frame || !frame->isVisible() || shot)
                return;
            QWidget* modal = QApplication::activeModalWidget();
            if (!args.commands.empty()) {
                if (modal && modal->objectName() == QLatin1String("dialog121"))
                    modal->close();
                else if (!modal) {
                    const int id = args.commands.front();
                    args.commands.pop_front();
                    QMetaObject::invokeMethod(
                        frame,
                        [&app, frame, id] {
                            if (id < 0)
                                app.View().SelectDay(-id);
                            else
                                frame->OnCommand(id);
                        },
                        Qt::QueuedConnection);
                }
                return;
            }
            shot = true;
            const bool saved = SaveScreenshot(*frame, args.screenshot);
            std::fprintf(stderr, saved ? "Mirovan: window drawn into %s\n" : "Mirovan: cannot write %s\n",
                         mirovan::qttext::ToNativePath(args.screenshot).c_str());
            if (modal)
                modal->close();
            QApplication::exit(saved ? 0 : 1);
        });
        shooter.start();
    }

    if (!app.Startup(mirovan::shell::JoinArguments(args.rest))) {
        app.Shutdown();
        return 1;
    }
    const int status = shot ? 0 : endSignals.Signal() ? endSignals.ExitStatus() : QApplication::exec();
    app.Shutdown();
    return status;
}
