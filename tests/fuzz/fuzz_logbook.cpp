// A logbook whose stored download is anything at all (a file edited, damaged or from a
// later version): listing, loading and decoding it neither crash nor read past its bytes.
#include "logbook/Logbook.h"

#include <QCoreApplication>
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

    // The stored blocks as any bytes may be: the input after its first two bytes, cut where
    // they say; the rest of the row is what a download would have.
    const int first = size > 0 ? data[0] : 0, second = size > 1 ? data[1] : 0;
    const QByteArray rest = QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)).mid(2);
    {
        QSqlDatabase db = QSqlDatabase::database(QStringLiteral("fuzz"));
        if (!db.isOpen())
            std::abort();
        QSqlQuery q(db);
        q.exec(QStringLiteral("DELETE FROM download"));
        q.prepare(QStringLiteral("INSERT INTO download (taken_at, port, firmware_id, echoes, statistics, temperatures, "
                                 "user_data, status, reason) VALUES (0, 'Com1', 'ID', ?, ?, ?, ?, ?, '')"));
        q.addBindValue(first & 1);
        q.addBindValue(rest.left(first));
        q.addBindValue(first & 2 ? QVariant(rest.mid(first, second)) : QVariant());
        q.addBindValue(rest.mid(first + second));
        q.addBindValue(first & 4 ? QVariant(second) : QVariant());
        if (!q.exec())
            return 0;
    }
    for (const Logbook::Entry &entry : book->list())
        if (const std::optional<Download> d = book->load(entry.id))
            d->decode();
    book->list(QStringLiteral("%_"));
    return 0;
}
