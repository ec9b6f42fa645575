#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// What a writing operation has got into the module. Its parts are written in order, and
// the first link step that does not succeed stops every byte after it: a byte sent after
// a failed address, a lost acknowledgement or a vanished port lands somewhere it was not
// meant to, or in another module. The outcome tells the user what did and did not arrive.
class WriteProgress {
public:
    // Starts an operation whose parts, in order, are to be written.
    void start(const QList<std::pair<QString, int>> &parts);
    // Takes the outcome of a link step; false, and stopped from then on, when it failed.
    bool check(bool linkOK);
    bool stopped() const { return m_stopped; }
    // The operation got as far as planning its writes.
    bool started() const { return !m_parts.isEmpty(); }
    // Bytes of the part being written that the module acknowledged; a part whose bytes
    // are all in is done, and the next one begins.
    void written(int bytes);
    // The next byte reached the module but its acknowledgement did not come back: it may
    // or may not be in the EEPROM.
    void uncertain() { m_uncertain = m_current < m_parts.size(); }
    bool nothingWritten() const;

    // "Written: ...", "Partly written: ...", "May not have been written: ...",
    // "Not written: ...", the lines that apply.
    QStringList outcome() const;
    // The window's box after a link step failed: what happened, the outcome, what to do.
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
    bool m_uncertain = false;
};
