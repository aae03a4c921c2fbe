// Placeholders for the game list and the launches until they are built: they do nothing.
#include "emulator/game_list.h"
#include "emulator/launch.h"

GameEntry gameTable[kMaxGames];

int buildGameList(HWND, int)
{
    return 0;
}

int findGame(const char*)
{
    return -1;
}

int playGame(int, int)
{
    return 0;
}

int runInputLog(int, int, int, const char*, const char*)
{
    return 0;
}
