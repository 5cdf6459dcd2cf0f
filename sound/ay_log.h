// The AY sound log: one ".byte" line per frame with sound generator writes.
#pragma once

void toggleAyLog();
void logAyFrame();
// Closes the log file if one is open (shutdown).
void closeAyLog();
bool ayLogOpen();
