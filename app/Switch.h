// Reading the screen-saver host's command-line switch.
#pragma once

// Whether arg names the switch: one leading '-' or '/' is skipped, then one
// character is compared, case-sensitively, with the switch's first
// character. So "/c", "-c", "c", "/config" and "/c:1234" all name "c";
// "/C" and "--c" do not. Returns 1 or 0.
int MatchSwitch(const char* arg, const char* switchText);
