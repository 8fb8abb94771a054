#include "session/Status.h"

namespace {

const StatusLook kLooks[] = {
    {STATUS_OFFLINE, "Off", "KVX (Offline)"},
    {STATUS_CONNECTING, "Off", "KVX (Connecting)"},
    {STATUS_ONLINE, "On", "KVX (Online) [%ld]"},
    {STATUS_AWAY, "Away", "KVX (Away) [%ld]"},
    {STATUS_NA, "NA", "KVX (N/A) [%ld]"},
    {STATUS_QUAKE2, "Quake2", "KVX (Quake2) [%ld]"},
    {STATUS_QUAKE, "Quake", "KVX (Quake) [%ld]"},
    {STATUS_UNREAL, "Unreal", "KVX (Unreal) [%ld]"},
    {STATUS_SUBSPACE, "Subspace", "KVX (Subspace) [%ld]"},
    {STATUS_TANARUS, "Tanarus", "KVX (Tanarus) [%ld]"},
    {STATUS_FIRETEAM, "Fireteam", "KVX (Fireteam) [%ld]"},
};

} // namespace

const StatusLook* FindStatusLook(WORD code)
{
    for (const StatusLook& look : kLooks)
        if (look.code == code) return &look;
    return nullptr;
}
