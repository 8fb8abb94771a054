#include "games/GameTable.h"

#include "menus/CommandIds.h"
#include "session/Status.h"

namespace {

const GameInfo kGames[] = {
    {STATUS_QUAKE2, "Quake II", CMD_LAUNCH_QUAKE2, CMD_LOCATE_QUAKE2, "Quake 2"},
    {STATUS_QUAKE, "Quake", CMD_LAUNCH_QUAKE, CMD_LOCATE_QUAKE, nullptr},
    {STATUS_UNREAL, "Unreal", CMD_LAUNCH_UNREAL, CMD_LOCATE_UNREAL, nullptr},
    {STATUS_SUBSPACE, "Subspace", CMD_LAUNCH_SUBSPACE, CMD_LOCATE_SUBSPACE, "SubSpaceClass"},
    {STATUS_TANARUS, "Tanarus", CMD_LAUNCH_TANARUS, CMD_LOCATE_TANARUS, nullptr},
    {STATUS_FIRETEAM, "Fireteam", CMD_LAUNCH_FIRETEAM, CMD_LOCATE_FIRETEAM, nullptr},
};

} // namespace

const GameInfo* FindGame(WORD id)
{
    for (const GameInfo& game : kGames)
        if (id == game.status || id == game.launchCommand || id == game.locateCommand) return &game;
    return nullptr;
}

WORD LookupGame(WORD id, char* name)
{
    const GameInfo* game = FindGame(id);
    if (!game) return 0;
    lstrcpynA(name, game->name, kGameNameSize);
    return game->status;
}
