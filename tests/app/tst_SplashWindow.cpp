#include "session/Configuration.h"
#include "app/SplashWindow.h"
#include "support/Golden.h"
#include "support/ScriptedPrompt.h"

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

class tst_SplashWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void branding_data()
    {
        QTest::addColumn<QByteArray>("file");  // empty: none
        QTest::addColumn<QString>("shown");    // text, family, points, bold, italic, logo
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("answer");  // to every failure

        QTest::newRow("built-in") << QByteArray() << "Korvane Arial 48 11 logo" << QStringList{} << int(Box::Abort);
        QTest::newRow("BOLD in capitals, size with letters after, logo null")
            << QByteArray("Acme\nTimes\n12.5pt\nBOLD\nnull\n!\nA\n!\n!\n") << "Acme Times 12.5 10 " << QStringList{}
            << int(Box::Abort);
        QTest::newRow("no number keeps the design size, missing logo")
            << QByteArray("Acme\nArial\nbig\nitalic\nnone.gif\n!\nA\n!\n!\n") << "Acme Arial 48 01 "
            << QStringList{"File not found: "} << int(Box::Abort);
        QTest::newRow("missing lines answered Ignore keep their design values")
            << QByteArray("Acme\nArial\n10\n!\nA\n!\n!\n") << "Acme Arial 10 11 "
            << QStringList{"Subscript out of range", "Subscript out of range", "Subscript out of range"}
            << int(Box::Ignore);
    }

    void branding()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, shown);
        QFETCH(QStringList, messages);
        QFETCH(int, answer);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Runlog.cfg"));
        QVERIFY(file.isEmpty() || writeFile(path, file));
        QVERIFY(QFile::copy(QStringLiteral(RUNLOG_DOCS_DIR "/Korvane_Logo.gif"), dir.filePath("Korvane_Logo.gif")));
        ScriptedPrompt prompt;
        for (qsizetype i = 0; i < messages.size(); ++i)
            prompt.answer({Box::Answer(answer)});
        Configuration config;
        SplashWindow splash(config, prompt, path, dir.path());

        const QFont font = splash.companyName()->font();
        QCOMPARE(QStringLiteral("%1 %2 %3 %4%5 %6")
                     .arg(splash.companyName()->text(), font.family())
                     .arg(font.pointSizeF())
                     .arg(int(font.bold()))
                     .arg(int(font.italic()))
                     .arg(splash.logo()->pixmap().isNull() ? "" : "logo"),
                 shown);
        QCOMPARE(prompt.shown().size(), messages.size());
        for (int i = 0; i < messages.size(); ++i)
            QVERIFY2(prompt.texts()[i].startsWith(messages[i]), qPrintable(prompt.texts()[i]));
    }
};

QTEST_MAIN(tst_SplashWindow)
#include "tst_SplashWindow.moc"
