// The AY sound log: while on, one assembler ".byte" line per frame in which
// the emulated program wrote sound generator registers.
//
// Input: the machine's AY log buffer (register, value pairs in write order,
// at most 256 per frame, filled by the port code). Output: a text file
// "<start directory>/aysound_<ms clock in hex>.txt" with lines
// "    .byte frames,count,reg,value,reg,value..." (registers ascending, last
// value of the frame), where `frames` counts the frames since the last line.
// Use: toggleAyLog from the menu command, logAyFrame after every frame,
// closeAyLog when the machine shuts down.
#pragma once

// Menu command "Log AY Sound": closes the open log, or opens a new one (never
// replacing an existing log); the menu check mark shows whether a log is open.
void toggleAyLog();
// Writes the frame's line when a log is open and the buffer holds writes.
void logAyFrame();
// Closes the log file if one is open (shutdown).
void closeAyLog();
// Closes the log and clears the menu's check mark (a state is loaded).
void endAyLog();
// Whether a log file is open.
bool ayLogOpen();
