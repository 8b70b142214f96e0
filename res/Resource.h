// Ids of the resources and of the dialogs' controls, shared by the resource
// script and the code.
#pragma once

// String 1 is the name the system lists the screen saver under.
#define IDS_SAVER_NAME 1
#define IDR_MAINFRAME 128
#define IDC_HAND_CURSOR 130
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_SETTINGS 102
#define IDM_ABOUTBOX 0x0010

#define IDC_MAX_PARTICLES 1000
#define IDC_RESOLUTION 1001
#define IDC_TOP_TEXT 1002
#define IDC_BOTTOM_TEXT 1005
#define IDC_MID_TEXT 1006
#define IDC_TOP_FONT 1007
#define IDC_BOTTOM_FONT 1008
#define IDC_MID_FONT 1009
#define IDC_PREVIEW_TOP 1010
#define IDC_PREVIEW_BOTTOM 1011
#define IDC_PREVIEW_MID 1012
#define IDC_MORE_SOFTWARE 1013
#define IDC_LINK_WEB 1014
#define IDC_LINK_MAIL 1015
#define IDC_FPS_SHOW 1016
#define IDC_FPS 1017
#define IDC_TOP_COLOR 1018
#define IDC_BOTTOM_COLOR 1019
#define IDC_MID_COLOR 1020

// The maker's pages, shown by the links and opened through the shell. The
// template's link texts in Glimmerax.rc repeat them.
#define MAKER_WEB_PAGE "http://www.example.com/"
#define MAKER_MAIL "me@example.com"
