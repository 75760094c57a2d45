#include "guisupport/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstring>

namespace mirovan {
namespace {

struct QtText {
    const char* context; // matched by its beginning: "QPrint" is every print dialog part
    const char* source;
    const char* japanese;
};

// Qt's texts that qtbase_ja leaves in English, and the print dialog's
// own "オプション" tab, which stands beside the calendar's tab of that name.
constexpr QtText kQtTexts[] = {
    {"QPrintSettingsOutput", "Options", "詳細設定"},
    {"QPrint", "Double Sided Printing", "両面印刷"},
    {"QPrint", "Off", "しない"},
    {"QPrint", "Long side binding", "長辺綴じ"},
    {"QPrint", "Short side binding", "短辺綴じ"},
    {"QPrint", "Pages", "ページ指定"},
    {"QPrint",
     "Specify pages or ranges separated by commas. Ranges are specified by two numbers separated by a hyphen. "
     "E.g: 3,5-7,9 prints pages 3, 5, 6, 7 and 9.",
     "ページや範囲をカンマで区切って指定します。範囲は2つの数をハイフンでつなぎます。"
     "例: 3,5-7,9 で 3、5、6、7、9 ページを印刷します。"},
    {"QPrint", "Invalid Pages Definition", "ページ指定の誤り"},
    {"QPrint",
     "%1 does not follow the correct syntax. Please use ',' to separate ranges and pages, '-' to define ranges and "
     "make sure ranges do not intersect with each other.",
     "%1 "
     "は正しい書式ではありません。ページと範囲は「,」で区切り、範囲は「-」で表し、範囲が重ならないようにして下さい。"},
    {"QPrint", "Duplex Settings Conflicts", "両面印刷の設定の矛盾"},
    {"QPrint", "There are conflicts in duplex settings. Do you want to fix them?",
     "両面印刷の設定に矛盾があります。修正しますか?"},
    {"QPrint", "There are conflicts in some options. Please fix them.", "設定に矛盾があります。修正して下さい。"},
    {"QPrint", "Page Setup Conflicts", "ページ設定の矛盾"},
    {"QPrint", "There are conflicts in page setup options. Do you want to fix them?",
     "ページ設定に矛盾があります。修正しますか?"},
    {"QPrint", "Advanced Option Conflicts", "拡張設定の矛盾"},
    {"QPrint", "There are conflicts in some advanced options. Do you want to fix them?",
     "拡張設定に矛盾があります。修正しますか?"},
    {"QPrint", "Advanced", "拡張設定"},
    {"QAbstractFileIconProvider", "Folder", "フォルダ"},
    {"QAbstractFileIconProvider", "Shortcut", "ショートカット"},
};

// Consulted before qtbase_ja; an empty answer passes the text on to it.
class QtTextOverrides : public QTranslator {
public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* sourceText, const char*, int) const override
    {
        if (!context || !sourceText)
            return {};
        for (const QtText& text : kQtTexts)
            if (std::strncmp(text.context, context, std::strlen(text.context)) == 0 &&
                std::strcmp(text.source, sourceText) == 0)
                return QString::fromUtf8(text.japanese);
        return {};
    }
    bool isEmpty() const override { return false; }
};

} // namespace

bool InstallQtTranslations()
{
    // Lives as long as the application; installed only once however
    // often the program starts its shell.
    static QTranslator* translator = nullptr;
    if (translator)
        return true;
    auto* candidate = new QTranslator(QCoreApplication::instance());
    if (!candidate->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete candidate;
        return false;
    }
    QCoreApplication::installTranslator(candidate);
    // The last installed is asked first.
    QCoreApplication::installTranslator(new QtTextOverrides(QCoreApplication::instance()));
    translator = candidate;
    return true;
}

} // namespace mirovan
