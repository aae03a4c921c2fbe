// Placeholders for the leaderboard client until it is built: the workers end at once.
#include "online/download.h"
#include "online/feeds.h"
#include "online/score_properties.h"

volatile long cancelRequested = 0;

unsigned __stdcall fetchHighScores(void*)
{
    return 0;
}

unsigned __stdcall fetchRecentUploads(void*)
{
    return 0;
}

int openScoreProperties(HWND, int)
{
    return 0;
}
