#pragma once

#include "../PanelFixture.h"

#include "../RecordingMessageBox.h"
#include "ServiceFixture.h"
#include "account/MAccount.h"
#include "app/AppPaths.h"
#include "app/GlobalSettings.h"
#include "app/MStrings.h"
#include "model/MResultNode.h"
#include "panels/MOutlinePanel.h"
#include "widgets/MOutlineModel.h"

#include <QAbstractButton>
#include <QSignalSpy>
#include <QTreeView>
#include <gtest/gtest.h>

// The panels on section files against the demo fixture in an in-process emulator, signed in as its
// personal account, with the tree fetched and zero intervals.
using DrivePanelTest = MPanelFixture;
