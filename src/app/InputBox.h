#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;

// The input box: a question, a line to answer it in, OK and Cancel. The question is
// broken into lines about sixty characters wide, fewer on a narrow screen, and the box is
// as large as its text needs, so that a warning is read to its end before it is answered.
class InputBox : public QDialog {
    Q_OBJECT
public:
    InputBox(const QString &prompt, const QString &title, const QString &defaultText, QWidget *parent = nullptr);

    QString text() const;
    QLabel *label() const { return m_label; }
    QLineEdit *field() const { return m_field; }

    // The width a box gives a text of its own before breaking it, for a box whose
    // title needs titleWidth: what the text needs up to about sixty characters, never
    // wider than the screen leaves room for.
    static int textWidth(const QWidget &box, const QString &text, int titleWidth);

private:
    QLabel *m_label;
    QLineEdit *m_field;
};
