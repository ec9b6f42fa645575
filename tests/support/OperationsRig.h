#pragma once

#include "Golden.h"
#include "LinkRig.h"
#include "session/Configuration.h"
#include "stats/HeadlessView.h"
#include "stats/ModuleOperations.h"
#include "stats/ModuleStatistics.h"

// The user's operations over an in-process module on a virtual clock, with the view kept
// in memory and the check boxes wired to their click rules.
struct OperationsRig : LinkRig {
    OperationsRig(bool echoes, const QString &image, bool statusDisplay = true, bool clearBreakIn = false,
                  const QByteArray &id = "RL-7.02")
        : LinkRig(echoes, id), operations(link, stats, view, prompt, features)
    {
        features.StatusDisplayEnabled = statusDisplay;
        features.ClearBreakInLimitEnabled = clearBreakIn;
        if (!image.isEmpty())
            module.setEeprom(goldenImage(image));
        view.onBreakInLimitClicked = [this] { operations.breakInLimitClicked(); };
        view.onEngineRebuildClicked = [this] { operations.engineRebuildClicked(); };
    }

    Features features;
    HeadlessView view;
    ModuleOperations operations;
};
