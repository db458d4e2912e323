// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The relay panel brought up as an operator brings it up, for the tests
// that link the program's library.
#pragma once

#include "qx5170_fc.h"
#include "qx5170fp_app.h"
#include "sfptest.h"

#include <QString>
#include <QTest>

#include <memory>

namespace sfptest {

// The panel on `fc` after `answer` ("Auto Find", "Run In Demo Mode") to the
// first question, shown and exposed; null when it was not.
inline std::unique_ptr<qx5170fp_App> openPanel(qx5170_fc *fc, const QString &answer)
{
    answerNextModal(answer);
    auto panel = std::make_unique<qx5170fp_App>(fc);
    panel->show();
    if (!QTest::qWaitForWindowExposed(panel.get()))
        return nullptr;
    return panel;
}

} // namespace sfptest
