// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// A card session's refusals in the two languages they are said in: English,
// which programs read, and the operator's, which the panel shows. For the
// session's own sources only.
#pragma once

#include "cardsession.h"
#include "fixture.h"
#include "translation.h"

namespace sfp {
namespace cardSessionWords {

inline Said said(const char *source)
{
    return {QString::fromUtf8(source), translate("CardSession", source)};
}

inline Refusal refused(Refusal::Kind kind, const Said &words)
{
    return {kind, words.english, words.local};
}

inline Refusal refused(Refusal::Kind kind, const Said &words, const QString &arg)
{
    return {kind, words.english.arg(arg), words.local.arg(arg)};
}

} // namespace cardSessionWords
} // namespace sfp
