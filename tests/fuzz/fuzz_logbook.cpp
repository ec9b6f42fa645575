// A logbook whose stored download is anything at all (a file edited, damaged or from a
// later version): listing, loading and decoding it neither crash nor read past its bytes.
#include "logbook/Logbook.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // One logbook for the whole run, closed before Qt's own globals go at exit.
    static QTemporaryDir *dir = nullptr;
    static Logbook *book = nullptr;
    if (!book) {
        dir = new QTemporaryDir;
        book = new Logbook;
        if (book->open(dir->filePath(QStringLiteral("logbook.sqlite"))))
            std::abort();
        QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fuzz")).setDatabaseName(book->path());
        std::atexit([] {
            delete book;
            QSqlDatabase::removeDatabase(QStringLiteral("fuzz"));
            delete dir;
        });
    }

    // The row's columns, each a length-prefixed piece of the input.
    QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    QList<QByteArray> pieces;
    while (!input.isEmpty() && pieces.size() < 6) {
        const int length = quint8(input[0]);
        pieces << input.mid(1, length);
        input.remove(0, 1 + length);
    }
    while (pieces.size() < 6)
        pieces << QByteArray();
    {
        QSqlDatabase db = QSqlDatabase::database(QStringLiteral("fuzz"));
        if (!db.isOpen())
            std::abort();
        QSqlQuery q(db);
        q.exec(QStringLiteral("DELETE FROM download"));
        q.prepare(QStringLiteral("INSERT INTO download (taken_at, port, firmware_id, echoes, statistics, temperatures, "
                                 "user_data, status, reason) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        q.addBindValue(size ? qint64(data[0]) << 40 : 0);
        q.addBindValue(QString::fromUtf8(pieces[0]));
        q.addBindValue(QString::fromUtf8(pieces[1]));
        q.addBindValue(size > 1 && (data[1] & 1));
        q.addBindValue(pieces[2]);
        q.addBindValue(size > 1 && (data[1] & 2) ? QVariant(pieces[3]) : QVariant());
        q.addBindValue(pieces[4]);
        q.addBindValue(size > 1 && (data[1] & 4) ? QVariant(int(data[1])) : QVariant());
        q.addBindValue(QString::fromUtf8(pieces[5]));
        if (!q.exec())
            return 0;
    }
    for (const Logbook::Entry &entry : book->list())
        if (const std::optional<Download> d = book->load(entry.id))
            d->decode();
    book->list(QStringLiteral("%_"));
    return 0;
}
