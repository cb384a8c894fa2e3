#pragma once

#include "../PanelFixture.h"

#include "../RecordingMessageBox.h"
#include "ServiceFixture.h"
#include "account/MAccount.h"
#include "app/AppPaths.h"
#include "app/GlobalSettings.h"
#include "app/MStrings.h"
#include "model/MONObject.h"
#include "panels/MOutlinePanel.h"
#include "widgets/MOutlineModel.h"

#include <QAbstractButton>
#include <QSignalSpy>
#include <QTreeView>
#include <gtest/gtest.h>

// The panels on section files against the demo fixture in an in-process emulator, signed in as its
// personal account, with the tree fetched and zero intervals.
class DrivePanelTest : public MPanelFixture
{
protected:
    // "name | other columns | status" for every row of the outline, depth first, indented by depth.
    static QStringList Rows(const MOutlineModel& model, const QModelIndex& parent = {}, int depth = 0)
    {
        QStringList rows;
        for (int row = 0; row < model.rowCount(parent); ++row) {
            QStringList cells;
            for (int column = 0; column < model.columnCount(); ++column)
                cells << model.index(row, column, parent).data().toString();
            rows << QString(depth * 2, QLatin1Char(' ')) + cells.join(QStringLiteral(" | "));
            rows += Rows(model, model.index(row, 0, parent), depth + 1);
        }
        return rows;
    }
};
