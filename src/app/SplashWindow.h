#pragma once

#include <QDialog>
#include <QTimer>

class Prompt;
class QFrame;
class QLabel;
struct Configuration;

// The splash window: reads Runlog.cfg while it loads, shows the banner it names for four
// seconds, and closes by itself whatever the user does.
class SplashWindow : public QDialog {
    Q_OBJECT
public:
    static constexpr int ShowMs = 4000;
    static constexpr int BorderPx = 2;  // the fixed dialog border

    SplashWindow(Configuration &config, Prompt &prompt, const QString &configPath, const QString &programDir,
                 QWidget *parent = nullptr);

    QLabel *companyName() const { return m_companyName; }
    QLabel *logo() const { return m_logo; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void reject() override {}

private:
    void load(Configuration &config, Prompt &prompt, const QString &configPath, const QString &programDir);

    QFrame *m_frame;
    QLabel *m_logo;
    QLabel *m_companyName;
    QTimer m_unload;
};
