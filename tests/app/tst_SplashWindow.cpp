#include "stats/Configuration.h"
#include "app/SplashWindow.h"
#include "support/Golden.h"
#include "support/ScriptedPrompt.h"

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

class tst_SplashWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void branding_data()
    {
        QTest::addColumn<QByteArray>("file");  // empty: none
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("family");
        QTest::addColumn<double>("points");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<bool>("italic");
        QTest::addColumn<bool>("logo");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("answer");  // to every failure

        QTest::newRow("built-in") << QByteArray() << "Korvane" << "Arial" << 48.0 << true << true << true
                                  << QStringList{} << int(Box::Abort);
        QTest::newRow("BOLD in capitals, logo null")
            << QByteArray("Acme\nTimes\n20\nBOLD\nnull\n!\nA\n!\n!\n") << "Acme" << "Times" << 20.0 << true << false
            << false << QStringList{} << int(Box::Abort);
        QTest::newRow("size with letters after") << QByteArray("Acme\nArial\n12.5pt\nplain\nNuLl\n!\nA\n!\n!\n")
                                                 << "Acme" << "Arial" << 12.5 << false << false << false
                                                 << QStringList{} << int(Box::Abort);
        QTest::newRow("no number keeps the design size")
            << QByteArray("Acme\nArial\nbig\nitalic\nNULL\n!\nA\n!\n!\n") << "Acme" << "Arial" << 48.0 << false
            << true << false << QStringList{} << int(Box::Abort);
        QTest::newRow("missing logo") << QByteArray("Acme\nArial\n10\nbold\nnone.gif\n!\nA\n!\n!\n") << "Acme"
                                      << "Arial" << 10.0 << true << false << false
                                      << QStringList{"File not found: "} << int(Box::Abort);
        QTest::newRow("three branding lines") << QByteArray("Acme\nArial\n10\n!\nA\n!\n!\n") << "Acme" << "Arial"
                                              << 10.0 << true << true << false
                                              << QStringList{"Subscript out of range"} << int(Box::Abort);
        QTest::newRow("missing lines answered Ignore keep their design values")
            << QByteArray("Acme\nArial\n10\n!\nA\n!\n!\n") << "Acme" << "Arial" << 10.0 << true << true << false
            << QStringList{"Subscript out of range", "Subscript out of range", "Subscript out of range"}
            << int(Box::Ignore);
        QTest::newRow("file ends early: design texts stay")
            << QByteArray("Acme\nArial\n10\nbold\nNULL\n!\nA\n") << "Korvane" << "Arial" << 48.0 << true << true
            << false << QStringList{"Input past end of file"} << int(Box::Abort);
    }

    void branding()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, text);
        QFETCH(QString, family);
        QFETCH(double, points);
        QFETCH(bool, bold);
        QFETCH(bool, italic);
        QFETCH(bool, logo);
        QFETCH(QStringList, messages);
        QFETCH(int, answer);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Runlog.cfg"));
        if (!file.isEmpty())
            QVERIFY(writeFile(path, file));
        QVERIFY(QFile::copy(QStringLiteral(RUNLOG_DOCS_DIR "/Korvane_Logo.gif"), dir.filePath("Korvane_Logo.gif")));
        ScriptedPrompt prompt;
        for (qsizetype i = 0; i < messages.size(); ++i)
            prompt.answer({Box::Answer(answer)});
        Configuration config;
        SplashWindow splash(config, prompt, path, dir.path());

        QLabel *name = splash.companyName();
        QCOMPARE(name->text(), text);
        QCOMPARE(name->font().family(), family);
        QCOMPARE(name->font().pointSizeF(), points);
        QCOMPARE(name->font().bold(), bold);
        QCOMPARE(name->font().italic(), italic);
        QCOMPARE(!splash.logo()->pixmap().isNull(), logo);
        QCOMPARE(prompt.shown().size(), messages.size());
        for (int i = 0; i < messages.size(); ++i)
            QVERIFY2(prompt.shown()[i].text.startsWith(messages[i]), qPrintable(prompt.shown()[i].text));
        if (logo)
            QCOMPARE(splash.logo()->size(), splash.logo()->pixmap().size());
    }

    void filesThatAreNotFilesAreRefused_data()
    {
        QTest::addColumn<bool>("configIsFifo");
        QTest::addColumn<QString>("says");
        QTest::newRow("configuration file") << true << "Runlog.cfg is not a file.";
        QTest::newRow("logo") << false << "Not a picture file: ";
    }

    void filesThatAreNotFilesAreRefused()
    {
        QFETCH(bool, configIsFifo);
        QFETCH(QString, says);
        QTemporaryDir dir;
        const QString config = dir.filePath(QStringLiteral("Runlog.cfg"));
        const QString fifo = configIsFifo ? config : dir.filePath(QStringLiteral("logo.gif"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        if (!configIsFifo)
            QVERIFY(writeFile(config, "Acme\nArial\n10\nbold\nlogo.gif\n!\nA\n!\n!\n"));
        ScriptedPrompt prompt;
        Configuration read;
        SplashWindow splash(read, prompt, config, dir.path());
        QCOMPARE(prompt.shown().size(), 1);
        QVERIFY2(prompt.shown().first().text.contains(says), qPrintable(prompt.shown().first().text));
    }

    void noCaptionAndTheNoticeWhole()
    {
        ScriptedPrompt prompt;
        Configuration config;
        SplashWindow splash(config, prompt, QStringLiteral("/nonexistent/Runlog.cfg"), QStringLiteral("/nonexistent"));
        const Qt::WindowFlags flags = splash.windowFlags();
        QVERIFY(!(flags & (Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(flags & Qt::FramelessWindowHint);
        auto *notice = splash.findChild<QLabel *>(QStringLiteral("lblCopyright"));
        QCOMPARE(notice->text(), Configuration::notice());
        QVERIFY(notice->fontMetrics().horizontalAdvance(notice->text()) <= notice->width());
    }

    void closesAfterFourSecondsWhateverTheKeys()
    {
        ScriptedPrompt prompt;
        Configuration config;
        SplashWindow splash(config, prompt, QStringLiteral("/nonexistent/Runlog.cfg"), QStringLiteral("/nonexistent"));
        QCOMPARE(prompt.texts(), QStringList{QStringLiteral("File not found: /nonexistent/Korvane_Logo.gif")});
        // Keys do not close it; its single four-second timer does.
        auto *unload = splash.findChild<QTimer *>(QStringLiteral("tmrUnload"));
        QVERIFY(unload && unload->isActive() && unload->isSingleShot());
        QCOMPARE(unload->interval(), 4000);
        QTimer::singleShot(0, &splash, [&] {
            QTest::keyClick(&splash, Qt::Key_Escape);
            QTest::keyClick(&splash, Qt::Key_Return);
            QVERIFY(splash.isVisible());
            QMetaObject::invokeMethod(unload, "timeout");
            QTimer::singleShot(100, &splash, [&] { splash.done(-1); });  // when the timer does not close it
        });
        QCOMPARE(splash.exec(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(tst_SplashWindow)
#include "tst_SplashWindow.moc"
