#include "modeltext.h"

QString sfpModelText(int modelCode)
{
    return QStringLiteral("%1").arg(modelCode, 4, 16, QLatin1Char(' '));
}
