#pragma once

#include <QWidget>

class QTextBrowser;
class QTreeWidget;

// The user guide beside the program, with its table of contents.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr char FileName[] = "Runlog_Help.html";

    explicit HelpWindow(const QString &path, QWidget *parent = nullptr);

    QTreeWidget *contents() const { return m_contents; }
    QTextBrowser *browser() const { return m_browser; }

private:
    QTreeWidget *m_contents;
    QTextBrowser *m_browser;
};
