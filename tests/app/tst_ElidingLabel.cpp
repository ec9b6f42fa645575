#include "app/ElidingLabel.h"
#include "printing/Twips.h"

#include <QApplication>
#include <QTest>

namespace {
QFont windowFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setPointSizeF(9.6);
    font.setBold(true);
    return font;
}
}  // namespace

// Long firmware IDs and device names in the main window's fixed fields.
class tst_ElidingLabel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void showsBothEndsOfWhatDoesNotFit_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("heightTwips");
        QTest::addColumn<bool>("shortened");
        // The firmware ID's field: 4932 x 732 twips, right-aligned.
        QTest::newRow("an ID that fits, as it is") << "RL-7.02 IGN E" << 732 << false;
        QTest::newRow("a long ID over the field's lines, whole")
            << "A&B Motorsport Marine Firmware 7.02 Build 2231 Rev C" << 732 << false;
        QTest::newRow("one line: the middle goes") << "A&B Motorsport Marine Firmware 7.02 Build 2231 Rev C" << 372 << true;
        QTest::newRow("longer than the lines hold")
            << QStringLiteral("A&B Motorsport Marine Firmware 7.02 Build 2231 Rev C ").repeated(4) + "SN-0042" << 732 << true;
        QTest::newRow("a stable device name, no blank to break at")
            << "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3D4E5F6G7H8-if00-port0-with-a-long-tail" << 372 << true;
    }

    void showsBothEndsOfWhatDoesNotFit()
    {
        QFETCH(QString, text);
        QFETCH(int, heightTwips);
        QFETCH(bool, shortened);
        QWidget parent;
        parent.setFont(windowFont());
        ElidingLabel label(&parent);
        label.setFrameShape(QFrame::Box);
        label.setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        Twips::place(&label, 960, 1080, 4932, heightTwips);
        label.setFullText(text);

        const QStringList lines = label.text().split('\n');
        const QFontMetrics metrics(label.font());
        // Inside the frame and the indent QLabel keeps on the aligned side.
        const int room = label.contentsRect().width() - metrics.horizontalAdvance('x') / 2;
        QVERIFY2(lines.size() * metrics.lineSpacing() <= label.contentsRect().height(), qPrintable(label.text()));
        for (const QString &line : lines)
            QVERIFY2(metrics.horizontalAdvance(line) <= room, qPrintable(line));
        QCOMPARE(label.isShortened(), shortened);
        const QString shown = lines.join(' ');
        if (shortened) {
            QVERIFY2(shown.startsWith(text.left(3)) && shown.endsWith(text.right(6)) && shown.contains(QChar(0x2026)),
                     qPrintable(shown));
        } else {
            QCOMPARE(QString(shown).remove(' '), QString(text).remove(' '));
        }
        QCOMPARE(label.toolTip(), shortened ? text : QString());
        QCOMPARE(label.accessibleDescription(), text);
    }
};

QTEST_MAIN(tst_ElidingLabel)
#include "tst_ElidingLabel.moc"
