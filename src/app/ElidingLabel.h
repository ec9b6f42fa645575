#pragma once

#include <QLabel>
#include <QStringList>

// A label for texts the user must be able to tell apart by both ends: firmware IDs and
// device names. The text is broken at spaces, or inside a word longer than a line, over
// as many lines as the label holds; what still does not fit is shortened in the middle,
// never at the start. The whole text is the tooltip when it is shortened, and always the
// accessible description, so that a screen reader gives the value under the field's name.
class ElidingLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidingLabel(QWidget *parent = nullptr);

    void setFullText(const QString &text);
    QString fullText() const { return m_fullText; }
    bool isShortened() const { return m_shortened; }

    struct Fit {
        QStringList lines;
        bool shortened = false;
    };
    // The lines a text is shown in, at most maxLines of at most width pixels each.
    static Fit fit(const QString &text, const QFont &font, int width, int maxLines);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void relayout();
    // The room the label leaves its text, as QLabel lays it out (margin and indent).
    QSize textRoom() const;

    QString m_fullText;
    bool m_shortened = false;
};
