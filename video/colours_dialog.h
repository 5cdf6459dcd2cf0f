// The "Colors" dialog (menu "Video and Colors..."): edits the drawable
// palette entries through the colour chooser and picks the window scale.
//
// Works on settingsCopy; OK copies it back, saves VIDEO and COLOR, resizes
// the window when the scale changed and rebuilds the frame with the new
// palette. Cancel changes nothing. The caller restarts the sound afterwards.
#pragma once

// Runs the dialog; platform::kDialogOk or platform::kDialogCancel.
int editColours();
