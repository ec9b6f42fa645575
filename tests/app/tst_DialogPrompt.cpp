#include "app/DialogPrompt.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

Q_DECLARE_METATYPE(Box::Answer)

// The boxes as the user answers them from the keyboard.
class tst_DialogPrompt : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Escape is the way out a box offers; an error offers none but Abort, never Ignore,
    // which would skip the failed step and go on.
    void escapeAnswers_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<Box::Answer>("answer");
        QTest::newRow("Abort/Retry/Ignore") << int(Box::AbortRetryIgnore | Box::Critical) << Box::Abort;
        QTest::newRow("Retry/Cancel") << int(Box::RetryCancel | Box::Critical) << Box::Cancel;
        QTest::newRow("Yes/No") << int(Box::YesNo | Box::Question) << Box::No;
        QTest::newRow("OK") << int(Box::OkOnly) << Box::Ok;
    }

    void escapeAnswers()
    {
        QFETCH(int, style);
        QFETCH(Box::Answer, answer);
        DialogPrompt prompt;
        QTimer::singleShot(0, this, [] {
            QWidget *box = QApplication::activeModalWidget();
            QVERIFY(box);
            QTest::keyClick(box, Qt::Key_Escape);
        });
        QCOMPARE(prompt.message(QStringLiteral("RS-232 timeout. Check cable and click Abort."), QStringLiteral("Error"),
                                style),
                 answer);
    }
};

QTEST_MAIN(tst_DialogPrompt)
#include "tst_DialogPrompt.moc"
