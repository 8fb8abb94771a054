#include "StatusLook.h"

namespace {

struct Look {
    std::uint16_t status;
    const char* icon;
    const char* text;
};

const Look kLooks[] = {
    {300, "On", "Online"},         {400, "Away", "Away"},       {500, "NA", "N/A"},
    {600, "Quake2", "Quake II"},   {605, "Quake", "Quake"},     {610, "Unreal", "Unreal"},
    {615, "Subspace", "Subspace"}, {620, "Tanarus", "Tanarus"}, {630, "Fireteam", "Fireteam"},
};

} // namespace

CStatusLook::CStatusLook(std::uint16_t status, bool offered)
    : m_icon("Off"), m_colour(kOffline), m_text("Offline"), m_online(status >= 300)
{
    if (offered) {
        m_icon = "Add";
        m_colour = kOffered;
        m_text = m_online ? "Online, not on your list" : "Not on your list";
        return;
    }
    if (!m_online) return;
    m_icon = "On";
    m_colour = status == 300 ? kOnline : kBusy;
    m_text = "Online";
    for (const Look& look : kLooks)
        if (look.status == status) {
            m_icon = look.icon;
            m_text = look.text;
        }
}
