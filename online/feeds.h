// The two score feeds, each run as a worker thread that fills the score list.
#pragma once

// Thread start routines; the argument is the game index, or 0 for recent uploads.
unsigned __stdcall fetchHighScores(void* gameIndex);
unsigned __stdcall fetchRecentUploads(void* unused);
