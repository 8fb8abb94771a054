#include "session/Status.h"

namespace {

const StatusLook kLooks[] = {
    {STATUS_OFFLINE, "Off", "KVX (Offline)", "Offline", kRed, "Off"},
    {STATUS_CONNECTING, "Off", "KVX (Connecting)", "Connecting...", kYellow, "On"},
    {STATUS_ONLINE, "On", "KVX (Online) [%ld]", "Online", kGreen, "On"},
    {STATUS_AWAY, "Away", "KVX (Away) [%ld]", "Away", kYellow, "Away"},
    {STATUS_NA, "NA", "KVX (N/A) [%ld]", "N/A", kYellow, "NA"},
    {STATUS_QUAKE2, "Quake2", "KVX (Quake2) [%ld]", "Quake II", kYellow, "Quake2"},
    {STATUS_QUAKE, "Quake", "KVX (Quake) [%ld]", "Quake", kYellow, "Quake"},
    {STATUS_UNREAL, "Unreal", "KVX (Unreal) [%ld]", "Unreal", kYellow, "Unreal"},
    {STATUS_SUBSPACE, "Subspace", "KVX (Subspace) [%ld]", "Subspace", kYellow, "Subspace"},
    {STATUS_TANARUS, "Tanarus", "KVX (Tanarus) [%ld]", "Tanarus", kYellow, "Tanarus"},
    {STATUS_FIRETEAM, "Fireteam", "KVX (Fireteam) [%ld]", "Fireteam", kYellow, "Fireteam"},
};

} // namespace

const StatusLook* FindStatusLook(WORD code)
{
    for (const StatusLook& look : kLooks)
        if (look.code == code) return &look;
    return nullptr;
}
