// The monitor window: a view of the debug/ monitor beside the main window.
//
// Not modal: the machine runs on until it is stopped. It shows the registers
// and flags, the disassembly around PC (following PC; a click in the
// breakpoint column sets or clears one), the 64K the CPU sees (hexadecimal
// and characters, with a go-to address), the latches, the stack, the trace
// and the monitor's output, and has a command line and the run buttons.
// Registers and memory are edited while the machine is stopped; every action
// is a command of the monitor's language, so the window and the runner do
// the same things. Its stop is the Emulation menu's pause: "Pause" while
// it is shown stops the machine as the monitor's Stop does (between frames),
// "Pause" again or a run command resumes it, and "Frame Advance" from a stop
// runs the rest of that frame (breakpoints still armed) and stops again.
//
// Use: Open from the Util menu; Poll after every pass of the main loop (it
// pumps waiting commands and opens the window when the machine stops);
// Shutdown when the main window goes.
#pragma once

class QWidget;

namespace MonitorWindow {

// Shows (creating on first use, and attaching the monitor to the machine) and raises the window.
void Open();
// After every pass of the loop; does nothing until the monitor has been opened once.
void Poll();
// Deletes the window and lets the machine go (the main window's close).
void Shutdown();
// The window is open on the screen.
bool Shown();
// The window while it exists (tests).
QWidget* Widget();

}  // namespace MonitorWindow
