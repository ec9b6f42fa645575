#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

// Tools > Workshop Details...: the letterhead of the service reports (name, address,
// telephone and an optional logo), kept in the settings' Workshop group, which
// runlog-cli report service reads too. OK keeps what is entered; Cancel changes nothing.
class WorkshopDialog : public QDialog {
    Q_OBJECT
public:
    explicit WorkshopDialog(QWidget *parent = nullptr);

    void accept() override;
    // The logo chosen, for the preview; a path that holds no image shows why.
    void showLogo(const QString &path);

private:
    void browse();

    QLineEdit *m_name;
    QPlainTextEdit *m_address;
    QLineEdit *m_phone;
    QLineEdit *m_logo;
    QLabel *m_preview;
};
