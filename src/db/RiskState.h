#pragma once

#include <QDate>
#include <QString>

namespace tamvel {

// A risk is open while neither of its completion dates is set; either one closes it. The
// SQL condition and the test on loaded dates say the same and stay side by side.
inline const QString OpenRiskCondition =
    QStringLiteral("opatreni_splneno IS NULL AND program_splneno IS NULL");

inline bool isClosedRisk(const QDate &correctiveDone, const QDate &programmeDone)
{
    return correctiveDone.isValid() || programmeDone.isValid();
}

} // namespace tamvel
