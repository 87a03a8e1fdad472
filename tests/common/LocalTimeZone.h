#pragma once

// The process's local time zone for the steps that check a time is shown in
// local time: under UTC a time shown in UTC passes for local time.

#include <QByteArray>
#include <QDateTime>
#include <QtGlobal>

#include <ctime>

namespace testzone {

// One or two hours ahead of UTC all year.
inline const char* const OFFSET_ZONE = "Europe/Berlin";

// Makes zone (a TZ name) the local time zone; true when local time now
// differs from UTC (false: the zone is unknown here).
inline bool useZone(const char* zone)
{
    qputenv("TZ", zone);
    tzset();
    return QDateTime::currentDateTime().offsetFromUtc() != 0;
}

// OFFSET_ZONE (or another zone) for one scope; the zone before comes back at its end.
class ScopedZone
{
public:
    explicit ScopedZone(const char* zone = OFFSET_ZONE)
        : before(qgetenv("TZ")), hadZone(qEnvironmentVariableIsSet("TZ")), offset(useZone(zone))
    {
    }

    ~ScopedZone()
    {
        if (hadZone)
            qputenv("TZ", before);
        else
            qunsetenv("TZ");
        tzset();
    }

    ScopedZone(const ScopedZone&) = delete;
    ScopedZone& operator=(const ScopedZone&) = delete;

    // Local time differs from UTC while it lasts.
    bool hasOffset() const { return offset; }

private:
    QByteArray before;
    bool hadZone;
    bool offset;
};

} // namespace testzone
