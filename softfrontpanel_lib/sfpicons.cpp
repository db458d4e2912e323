// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "sfpicons.h"

#include "icons/panel.xpm"
#include "icons/repetitive.xpm"
#include "icons/single_shot.xpm"
#include "icons/stop.xpm"
#include "icons/whatsthis.xpm"

namespace sfpIcons {

QPixmap panel()
{
    return QPixmap(panel_xpm);
}

QPixmap whatsThis()
{
    return QPixmap(whatsthis_xpm);
}

QPixmap singleShotStart()
{
    return QPixmap(single_shot_xpm);
}

QPixmap repetitiveStart()
{
    return QPixmap(repetitive_xpm);
}

QPixmap stop()
{
    return QPixmap(stop_xpm);
}

} // namespace sfpIcons
