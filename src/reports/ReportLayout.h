#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

struct Download;
struct ModuleStatistics;

// A report as lines of text placed at tab columns, independent of where it is drawn:
// a printer, a PDF, or the terminal. Column n is n - 1 average character widths from
// the left edge; a text whose column has already been passed goes to that column of
// the next line.
struct ReportItem {
    int column = 1;
    QString text;
};

struct ReportLine {
    QList<ReportItem> items;
    int fontSize = 12;

    static ReportLine empty() { return {}; }
    static ReportLine title(const QString &text, int column = 10) { return {{{column, text}}, 12}; }
    static ReportLine label(const QString &label, int valueColumn, const QString &value)
    {
        return {{{10, label}, {valueColumn, value}}, 12};
    }
};

using ReportLines = QList<ReportLine>;

// What a printout needs beyond the record itself.
struct ReportContext {
    QString makerName;
    QString comment;
    QString printedAt;  // after "Downloaded:": the time of printing, or a kept download's own time
    bool statusDisplayEnabled = false;
    // A download kept in the logbook says where it came from and, for a copy kept before a
    // clearing, what was cleared after it.
    QString port;
    QString keptReason;

    // The context of a download printed as it is read: stamped with the time of printing.
    static ReportContext live(const QString &makerName, const QString &comment, bool statusDisplayEnabled);
    // The context of a kept download: its own time, port and reason, and its status line
    // wherever the status is shown or a status byte was kept.
    static ReportContext kept(const Download &download, const QString &makerName, const QString &comment,
                              bool statusDisplayEnabled);
};

namespace StatisticsReport {

ReportLines headerBlock(const ModuleStatistics &stats, const ReportContext &context);
// The chart page leaves out the empty line before "Maximum Engine RPM:".
ReportLines summaryBlock(const ModuleStatistics &stats, bool emptyLineBeforeMaxRpm = true);
ReportLines rpmTable(const ModuleStatistics &stats);
ReportLines tempSection(const ModuleStatistics &stats);
// The whole statistics printout.
ReportLines lines(const ModuleStatistics &stats, const ReportContext &context);

QString statusLine(const ModuleStatistics &stats);
// The locale's short date (with the full year) and long time without a time zone.
QString timestamp(const QDateTime &when, const QLocale &locale);

QStringList rpmBandLabels();
QStringList tempBandLabels();

}  // namespace StatisticsReport

// The lines as plain text, tab column n at character position n.
QString renderReportText(const ReportLines &lines);
