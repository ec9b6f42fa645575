#pragma once

#include "Golden.h"
#include "ScriptedPrompt.h"
#include "VirtualTiming.h"
#include "session/Configuration.h"
#include "app/MainWindow.h"
#include "link/ModuleLink.h"
#include "session/ModuleSession.h"
#include "sim/ModuleSimulator.h"
#include "sim/SimulatedPort.h"
#include "stats/ModuleStatistics.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>

#include <memory>

// Settings in Qt's test mode (under the test's own home, see tests/CMakeLists.txt), named
// as the window names its own.
inline void useTestSettings()
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("Runlog-tests"));
    QCoreApplication::setApplicationName(QStringLiteral("Runlog"));
}

// The real main window over an in-process module on a virtual clock.
struct WindowRig {
    explicit WindowRig(bool echoes = true, const QString &image = QString(), QStringList options = {},
                       const QByteArray &id = "RL-7.02")
        : module(echoes, id), port(module), session(port, timing, prompt)
    {
        config = Configuration::builtIn();
        config.ConfigLines = options;
        if (!image.isEmpty())
            module.setEeprom(goldenImage(image));
        QObject::connect(&port, &SimulatedPort::actionTaken, [this](const QString &event) { trace.append(event); });
        window = std::make_unique<MainWindow>(config, session);
    }

    template <typename T>
    T *find(const char *name) const
    {
        return window->findChild<T *>(QLatin1String(name));
    }
    QString text(const char *label) const { return find<QLabel>(label)->text(); }
    QString cell(const char *grid, int column, int row = 1) const
    {
        return find<QTableWidget>(grid)->item(row, column)->text();
    }
    void click(const char *button) const { find<QPushButton>(button)->click(); }
    bool visible(const char *name) const { return window->findChild<QWidget *>(QLatin1String(name))->isVisibleTo(window.get()); }
    ModuleLink &link() { return session.link(); }
    // The record of the download on screen, as the printouts take it.
    ModuleStatistics shown() const { return window->shown() ? window->shown()->decode() : ModuleStatistics{}; }

    QStringList trace;
    Configuration config;
    ModuleSimulator module;
    SimulatedPort port;
    VirtualTiming timing;
    ScriptedPrompt prompt;
    ModuleSession session;
    std::unique_ptr<MainWindow> window;
};
