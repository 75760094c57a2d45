// The dialogs built from the program's templates.
#include "program/shell/Dialogs.h"
#include "support/Version.h"

#include <QDialog>
#include <QLabel>
#include <QtTest>

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void aboutShowsTheBuildsVersion()
    {
        const auto dialog = mirovan::shell::BuildAboutDialog(nullptr);
        QStringList texts;
        for (const QLabel* label : dialog->findChildren<QLabel*>())
            texts << label->text();
        QVERIFY2(texts.contains(QStringLiteral("Mirovan (for Tillbrook)\nver ") + QLatin1String(mirovan::kVersion)),
                 qPrintable(texts.join(QLatin1Char('|'))));
        QVERIFY(texts.contains(QStringLiteral("Copyright (C) Tavric. All rights reserved.")));
    }
};

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
