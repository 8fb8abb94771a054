#include "StatusLook.h"

#include "wire/Status.h"

namespace {

struct Look {
    std::uint16_t status;
    const char* icon;
    const char* text;
};

const Look kLooks[] = {
    {STATUS_ONLINE, "On", "Online"},
    {STATUS_AWAY, "Away", "Away"},
    {STATUS_NA, "NA", "N/A"},
    {STATUS_QUAKE2, "Quake2", "Quake II"},
    {STATUS_QUAKE, "Quake", "Quake"},
    {STATUS_UNREAL, "Unreal", "Unreal"},
    {STATUS_SUBSPACE, "Subspace", "Subspace"},
    {STATUS_TANARUS, "Tanarus", "Tanarus"},
    {STATUS_FIRETEAM, "Fireteam", "Fireteam"},
};

} // namespace

CStatusLook::CStatusLook(std::uint16_t status, bool offered)
    : m_icon("Off"), m_colour(kOffline), m_text("Offline"), m_online(status >= STATUS_ONLINE)
{
    if (offered) {
        m_icon = "Add";
        m_colour = kOffered;
        m_text = m_online ? "Online, not on your list" : "Not on your list";
        return;
    }
    if (!m_online) return;
    m_icon = "On";
    m_colour = status == STATUS_ONLINE ? kOnline : kBusy;
    m_text = "Online";
    for (const Look& look : kLooks)
        if (look.status == status) {
            m_icon = look.icon;
            m_text = look.text;
        }
}
