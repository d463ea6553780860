#pragma once
// Short names for the values the tests bind to their statements.
#include "FbClient.h"

namespace TestValues {
inline TFbValue I(qint64 v)
{
    return TFbValue::FromInt(v);
}
inline TFbValue T(const QString& v)
{
    return TFbValue::FromText(v);
}
// An exact decimal from its text ("12.50").
inline TFbValue D(const char* v)
{
    TFbValue r;
    TFbValue::ParseDecimal(QLatin1String(v), &r);
    return r;
}
}   // namespace TestValues
