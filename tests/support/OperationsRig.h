#pragma once

#include "Golden.h"
#include "LinkRig.h"
#include "MemoryView.h"
#include "stats/Features.h"
#include "stats/ModuleOperations.h"
#include "stats/StatisticsPresenter.h"

// The user's operations over an in-process module on a virtual clock, with the view the
// window would show kept in memory.
struct OperationsRig : LinkRig {
    OperationsRig(bool echoes, const QString &image, bool statusDisplay = true, bool clearBreakIn = false,
                  const QByteArray &id = "RL-7.02")
        : LinkRig(echoes, id), operations(link, prompt, features)
    {
        features.StatusDisplayEnabled = statusDisplay;
        features.ClearBreakInLimitEnabled = clearBreakIn;
        if (!image.isEmpty())
            module.setEeprom(goldenImage(image));
    }

    // Reads, and shows the outcome as the window does.
    ReadOutcome read()
    {
        const ReadOutcome outcome = operations.readStatistics();
        StatisticsPresenter::show(outcome.download, view, features.StatusDisplayEnabled);
        return outcome;
    }
    // Keeps every download and copy offered, or refuses with why.
    void keepInto(QList<Download> &kept, const std::optional<QString> &refusal = std::nullopt)
    {
        operations.setKeeper([&kept, refusal](const Download &d) {
            kept << d;
            return refusal;
        });
    }

    Features features;
    MemoryView view;
    ModuleOperations operations;
};
