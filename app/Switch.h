// Reading the screen-saver host's command-line switch.
#pragma once

// Whether arg names the switch: one leading '-' or '/' is skipped, then one
// character is compared, case-sensitively, with the switch's first
// character. So "/c", "-c", "c", "/config" and "/c:1234" all name "c";
// "/C" and "--c" do not. Returns 1 or 0.
int MatchSwitch(const char* arg, const char* switchText);

// The window handle the host passes with a switch, as a number: after a
// colon in the switch itself ("/p:1234") or as the next argument ("/p",
// "1234"). Decimal digits only, as Windows writes them; 0 when there is
// none, it is not a whole number, or it does not fit in 32 bits.
unsigned long SwitchWindowHandle(const char* arg, const char* nextArg);
