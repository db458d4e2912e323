// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// How the connection sequence begins: by asking the operator, as usual, or
// with an answer already given (on the program's command line).
#pragma once

#include <QString>

struct sfpStartChoice
{
    enum Kind {
        Ask, // show the first question
        AutoFind, // as if "Auto Find" had been chosen
        Demo, // as if "Run In Demo Mode" had been chosen
        Address, // as if `descriptor` and `fcNumber` had been typed and accepted
    };

    Kind kind = Ask;
    QString descriptor;
    int fcNumber = 0;
};
