#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// What a writing operation has got into the module. Its parts are written in order, and
// the first link step that does not succeed stops every byte after it: a byte sent after
// a failed address, a lost acknowledgement or a vanished port lands somewhere it was not
// meant to, or in another module. The summary tells the user what did and did not arrive.
class WriteProgress {
public:
    // Starts an operation whose parts, in order, are to be written.
    void start(const QList<std::pair<QString, int>> &parts);
    // Takes the outcome of a link step; false, and stopped from then on, when it failed.
    bool check(bool linkOK);
    bool stopped() const { return m_stopped; }
    // Bytes of the part being written that the module acknowledged; a part whose bytes
    // are all in is done, and the next one begins.
    void written(int bytes);

    // "Written: ...", "Partly written: ...", "Not written: ...", the lines that apply.
    QStringList outcome() const;
    // The window's box: what happened, the outcome, what to do.
    QString summary() const;

private:
    struct Part {
        QString name;
        int size = 0;
        int written = 0;
    };
    QList<Part> m_parts;
    qsizetype m_current = 0;
    bool m_stopped = false;
};
