// How the toolkit reports a failed system call: the system's text for the
// last error in a message box titled "Error".
#pragma once

void ShowLastError();
// A line for the developer (standard error), for failures no user can act on.
void KitTrace(const char* text);
