#pragma once

#include <QDateTime>
#include <QString>

// The single-sign-on hand-off line another desktop program leaves for the
// client: "...veskmeet...?companyCode=..&userName=..&timeStamp=yyyyMMddhhmmss",
// possibly percent-encoded as a whole.
struct SsoHandOff
{
    QString companyCode;
    QString userName;
};

// How far ahead of our clock a stamp may lie: the writer's clock may run a
// little fast, but a stamp far in the future would never expire.
constexpr int ssoHandOffClockSkewSecs = 60;

// True when line is a complete hand-off whose stamp lies between maxAgeSecs
// before now and ssoHandOffClockSkewSecs after it; fills handOff then.
bool parseSsoHandOffLine(const QString &line, const QDateTime &now, int maxAgeSecs, SsoHandOff *handOff);
